#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>

#include "sm3.h"
#include "tool_text.h"

namespace testing_support {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path candidate = base / ("ezp-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
    if (ec) throw fs::filesystem_error("cannot create a temporary folder", candidate, ec);
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only files left by a test would stop the removal on Windows.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

fs::path TempDir::operator/(const std::string& literal) const { return path_ / P(literal); }

std::string N(const fs::path& path) {
  std::string narrow;
  EXPECT_TRUE(PathToNarrow(path, &narrow)) << PathForDisplay(path);
  return narrow;
}

fs::path P(const std::string& literal) {
#ifdef _WIN32
  fs::path path;
  EXPECT_TRUE(Cp936ToPath(literal, &path)) << "not code page 936";
  return path;
#else
  return fs::path(literal);
#endif
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << PathForDisplay(path);
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes MakeContent(std::size_t size, std::uint32_t seed) {
  Bytes out(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    out[i] = (i / 64) % 3 == 0 ? static_cast<std::uint8_t>(i / 64) : static_cast<std::uint8_t>(x);
  }
  return out;
}

std::vector<std::string> ListFiles(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (e.is_regular_file()) files.push_back(PathForDisplay(e.path().lexically_relative(folder)));
  }
  std::sort(files.begin(), files.end());
  return files;
}

HandRecord Rec(const std::string& name, const Bytes& content, std::uint8_t flag) {
  HandRecord r;
  r.name = name;
  r.content = content;
  r.flag = flag;
  return r;
}

HandPackage BuildPackage(const std::vector<HandRecord>& records) {
  HandPackage p;
  auto header = MakeEzpHeader();
  p.index.assign(header.begin(), header.end());
  for (const HandRecord& h : records) {
    EzpRecord r;
    r.flag = h.flag;
    r.name = h.name;
    EXPECT_TRUE(ComputeSm3(h.content.data(), h.content.size(), &r.digest));
    if (h.bad_digest) r.digest[0] ^= 1;
    r.offset = h.keep_position ? h.offset : static_cast<std::uint32_t>(p.store.size());
    r.length = h.keep_position ? h.length : static_cast<std::uint32_t>(h.content.size());
    Bytes stored = h.content;
    if (h.flag == kEzpFlagScrambled) ScrambleEzpBytes(stored.data(), stored.size());
    p.store.insert(p.store.end(), stored.begin(), stored.end());
    std::uint8_t raw[kEzpRecordSize];
    EXPECT_TRUE(EncodeEzpRecord(r, raw));
    p.index.insert(p.index.end(), raw, raw + kEzpRecordSize);
  }
  return p;
}

std::string WritePackage(const fs::path& dir, const std::string& stem, const HandPackage& package) {
  WriteBytes(dir / P(stem + ".ezpi"), package.index);
  WriteBytes(dir / P(stem + ".ezps"), package.store);
  return N(dir / P(stem + ".ezpi"));
}

}  // namespace testing_support
