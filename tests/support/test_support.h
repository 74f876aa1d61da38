// Helpers shared by the tests: temporary folders, whole-file I/O and hand-made packages.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ezp_format.h"

namespace testing_support {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A new empty folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& literal) const;

 private:
  fs::path path_;
};

// The narrow form of a path that the package store takes (UTF-8 here, the ANSI code page on Windows).
std::string N(const fs::path& path);
// A path from a narrow literal of this build: source literals are UTF-8 natively and code page 936
// in the Windows flavours.
fs::path P(const std::string& literal);

Bytes ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const Bytes& bytes);
Bytes BytesOf(const std::string& text);
// Deterministic content: mixes runs and noise so that it compresses a little.
Bytes MakeContent(std::size_t size, std::uint32_t seed);

// Files in a folder, recursively, as relative generic paths (to look for stray temporary files).
std::vector<std::string> ListFiles(const fs::path& folder);

// Builds an index and store by hand, so that tests can write any record, damaged ones included.
struct HandRecord {
  std::uint8_t flag = kEzpFlagScrambled;
  std::string name;
  Bytes content;             // stored as is when flag is not 1, scrambled when it is
  bool bad_digest = false;   // record a digest that does not match
  bool keep_position = false;
  std::uint32_t offset = 0;  // used instead of the real position when keep_position
  std::uint32_t length = 0;
};
HandRecord Rec(const std::string& name, const Bytes& content, std::uint8_t flag = kEzpFlagScrambled);
inline HandRecord Rec(const std::string& name, const std::string& content, std::uint8_t flag = kEzpFlagScrambled) {
  return Rec(name, Bytes(content.begin(), content.end()), flag);
}
struct HandPackage {
  Bytes index;
  Bytes store;
};
HandPackage BuildPackage(const std::vector<HandRecord>& records);
// Writes <dir>/<stem>.ezpi and .ezps and returns the narrow index path.
std::string WritePackage(const fs::path& dir, const std::string& stem, const HandPackage& package);

}  // namespace testing_support
