// Input: a 2-byte little-endian index length, the index, then the store. The whole read path runs
// over it: load, read and verify every entry, join its name to a folder, extract it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "ezp_reader.h"

namespace {

std::string g_dir;

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

void IgnoreBox(const std::string&) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/fuzz-ezp-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  g_dir = tmpl;
  SetEzpExtractErrorHandler(IgnoreBox);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::size_t index_size = data[0] | static_cast<std::size_t>(data[1]) << 8;
  if (index_size > size - 2) index_size = size - 2;
  const std::string index_path = g_dir + "/f.ezpi";
  if (!WriteFile(index_path, data + 2, index_size) ||
      !WriteFile(g_dir + "/f.ezps", data + 2 + index_size, size - 2 - index_size)) {
    std::abort();
  }
  EzpIndex index;
  if (!LoadEzpIndex(index_path, index)) return 0;
  for (const auto& [name, entry] : index) {
    std::unique_ptr<std::uint8_t[]> content;
    LoadEzpEntryContent(name, index, &content);
    std::uint8_t small[64];
    (void)ReadEzpEntry(name, small, index, sizeof small);
    std::string joined;
    if (JoinEzpEntryPath(g_dir + "/", name, &joined)) {
      // Always the same target: the fuzzer must not fill the disk with names it made up.
      (void)ExtractEzpEntry(name, index, g_dir + "/target");
    }
  }
  return 0;
}
