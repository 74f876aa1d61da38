// Every corpus file behaves as its name says: good ones load, verify and decode; bad ones are
// refused somewhere along the way, cleanly.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "ezp_lzma.h"
#include "ezp_reader.h"
#include "test_support.h"

namespace {

using namespace testing_support;

fs::path CorpusDir() { return fs::path(VANTOR_CORPUS_DIR); }

// The file names that README.md describes, one "- name: text" line each.
std::set<std::string> DescribedFiles() {
  std::set<std::string> names;
  std::ifstream readme(CorpusDir() / "README.md");
  std::string line;
  while (std::getline(readme, line)) {
    if (line.rfind("- ", 0) == 0 && line.find(':') != std::string::npos) names.insert(line.substr(2, line.find(':') - 2));
  }
  return names;
}

bool PackageIsSound(const fs::path& index_path) {
  EzpIndex index;
  if (!LoadEzpIndex(N(index_path), index)) return false;
  for (const auto& [name, entry] : index) {
    std::unique_ptr<std::uint8_t[]> content;
    std::string joined;
    if (LoadEzpEntryContent(name, index, &content) != EzpStatus::kOk) return false;
    if (!JoinEzpEntryPath("D\\", name, &joined)) return false;
  }
  return true;
}

bool StreamIsSound(const fs::path& path) {
  Bytes stream = ReadBytes(path), out;
  return DecodeLzmaAloneToVector(stream.data(), stream.size(), &out, 1u << 20) == LzmaResult::kOk;
}

TEST(Corpus, EveryFileIsDescribed) {
  std::set<std::string> described = DescribedFiles(), present;
  for (const auto& e : fs::directory_iterator(CorpusDir())) {
    std::string name = e.path().filename().string();
    if (name.rfind("good-", 0) == 0 || name.rfind("bad-", 0) == 0) present.insert(name);
  }
  EXPECT_EQ(present, described);
  EXPECT_GT(present.size(), 20u);
}

TEST(Corpus, GoodFilesAreSoundAndBadOnesAreRefused) {
  for (const std::string& name : DescribedFiles()) {
    fs::path path = CorpusDir() / name;
    bool good = name.rfind("good-", 0) == 0;
    std::string ext = path.extension().string();
    if (ext == ".ezpi") {
      EXPECT_EQ(PackageIsSound(path), good) << name;
    } else if (ext == ".lzma") {
      EXPECT_EQ(StreamIsSound(path), good) << name;
    }
  }
}

}  // namespace
