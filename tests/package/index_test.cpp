// Loading indexes: what is accepted, how records become entries, and the order of entries.
#include <gtest/gtest.h>

#include <cstring>

#include "ezp_reader.h"
#include "test_support.h"

namespace {

using namespace testing_support;

TEST(LoadEzpIndex, SizeDecidesTheRecordCount) {
  HandPackage two = BuildPackage({Rec("\\a", "1"), Rec("\\b", "22")});
  struct Case {
    const char* what;
    std::size_t cut_or_pad;  // bytes of the index kept (when <= size) or zeros appended
    bool pad;
    std::size_t entries;
  } cases[] = {
      {"exactly the 512-byte block", kEzpHeaderSize, false, 0},
      {"one record and a partial one", kEzpHeaderSize + kEzpRecordSize + 100, false, 1},
      {"two whole records", kEzpHeaderSize + 2 * kEzpRecordSize, false, 2},
      {"trailing bytes after the last record", 300, true, 2},
      {"shorter than the block but with the banner", kEzpBannerLength + 1, false, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    HandPackage p = two;
    if (c.pad) p.index.insert(p.index.end(), c.cut_or_pad, 0x5A);
    else p.index.resize(c.cut_or_pad);
    EzpIndex index;
    ASSERT_TRUE(LoadEzpIndex(WritePackage(dir.path(), "setupdir", p), index)) << c.what;
    EXPECT_EQ(index.size(), c.entries) << c.what;
  }
}

TEST(LoadEzpIndex, RejectedIndexes) {
  HandPackage good = BuildPackage({Rec("\\a", "1")});
  struct Case {
    const char* what;
    std::string file;      // written in the temporary folder
    std::string opened;    // path handed to the loader (relative to the folder)
    int change_at;         // byte of the index to change, -1 for none
  } cases[] = {
      {"no .ezpi in the path", "p.ezp", "p.ezp", -1},
      {"upper-case extension", "p.EZPI", "p.EZPI", -1},
      {"missing file", "p.ezpi", "other.ezpi", -1},
      {"banner's NUL replaced", "p.ezpi", "p.ezpi", static_cast<int>(kEzpBannerLength)},
      {"banner's first byte changed", "p.ezpi", "p.ezpi", 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    Bytes index = good.index;
    if (c.change_at >= 0) index[static_cast<std::size_t>(c.change_at)] = 'X';
    WriteBytes(dir / c.file, index);
    EzpIndex loaded;
    loaded["\\kept"].length = 5;
    EXPECT_FALSE(LoadEzpIndex(N(dir / c.opened), loaded)) << c.what;
    EXPECT_EQ(loaded.size(), 1u) << c.what << ": a rejected index changes nothing";
  }
}

TEST(LoadEzpIndex, EmptyAndGarbageFilesAreRejected) {
  TempDir dir;
  for (const Bytes& bytes : {Bytes{}, Bytes(512, 0), MakeContent(4000, 3)}) {
    WriteBytes(dir / "g.ezpi", bytes);
    EzpIndex index;
    EXPECT_FALSE(LoadEzpIndex(N(dir / "g.ezpi"), index));
  }
}

TEST(LoadEzpIndex, BlockAfterTheBannerIsNotExamined) {
  TempDir dir;
  HandPackage p = BuildPackage({Rec("\\a", "1")});
  for (std::size_t i = kEzpBannerLength + 1; i < kEzpHeaderSize; ++i) p.index[i] = static_cast<std::uint8_t>(i);
  EzpIndex index;
  EXPECT_TRUE(LoadEzpIndex(WritePackage(dir.path(), "x", p), index));
  EXPECT_EQ(index.size(), 1u);
}

TEST(LoadEzpIndex, RecordFieldsBecomeTheEntry) {
  TempDir dir;
  HandRecord odd = Rec("\\odd", "plain");
  odd.keep_position = true;
  odd.offset = 0x80000000u;  // read as a signed 32-bit value
  odd.length = 0xFFFFFFFFu;
  HandPackage p = BuildPackage({Rec("\\s", "abc"), Rec("\\p0", "x", 0), Rec("\\p2", "y", 2), Rec("\\p255", "z", 255), odd});
  std::string path = WritePackage(dir.path(), "setupdir", p);
  EzpIndex index;
  ASSERT_TRUE(LoadEzpIndex(path, index));
  ASSERT_EQ(index.size(), 5u);
  const EzpEntry& s = index.at("\\s");
  EXPECT_EQ(s.name, "\\s");
  EXPECT_TRUE(s.scrambled);
  EXPECT_EQ(s.offset, 0);
  EXPECT_EQ(s.length, 3);
  EXPECT_EQ(s.storePath, path.substr(0, path.size() - 4) + "ezps");
  EXPECT_EQ(s.storePath.substr(s.storePath.size() - 13), "setupdir.ezps");
  for (const char* plain : {"\\p0", "\\p2", "\\p255"}) EXPECT_FALSE(index.at(plain).scrambled) << plain;
  EXPECT_EQ(index.at("\\odd").offset, INT32_MIN);
  EXPECT_EQ(index.at("\\odd").length, -1);
}

TEST(LoadEzpIndex, LaterRecordOfTheSameNameWins) {
  TempDir dir;
  HandPackage p = BuildPackage({Rec("\\same", "first"), Rec("\\other", "o"), Rec("\\same", "second!")});
  EzpIndex index;
  ASSERT_TRUE(LoadEzpIndex(WritePackage(dir.path(), "x", p), index));
  EXPECT_EQ(index.size(), 2u);
  EXPECT_EQ(index.at("\\same").length, 7);
  EXPECT_EQ(index.at("\\same").offset, 6);
}

TEST(LoadEzpIndex, LoadingIntoAFilledIndexKeepsOtherNames) {
  TempDir dir;
  EzpIndex index;
  ASSERT_TRUE(LoadEzpIndex(WritePackage(dir.path(), "one", BuildPackage({Rec("\\a", "1"), Rec("\\b", "2")})), index));
  ASSERT_TRUE(LoadEzpIndex(WritePackage(dir.path(), "two", BuildPackage({Rec("\\b", "22"), Rec("\\c", "3")})), index));
  ASSERT_EQ(index.size(), 3u);
  EXPECT_NE(index.at("\\a").storePath.find("one.ezps"), std::string::npos);
  EXPECT_NE(index.at("\\b").storePath.find("two.ezps"), std::string::npos);
  EXPECT_EQ(index.at("\\b").length, 2);
}

TEST(EzpIndexOrder, AscendingUnsignedBytesCaseSensitive) {
  TempDir dir;
  // Written out of order; names that differ only in case are two entries; 0xB0 sorts after 'z',
  // and a name that is a prefix of another comes first.
  HandPackage p = BuildPackage({Rec("\\\xb0\xa1", "1"), Rec("\\z", "2"), Rec("\\Readme", "3"), Rec("\\readme", "4"),
                                Rec("\\read", "5"), Rec("\\A", "6")});
  EzpIndex index;
  ASSERT_TRUE(LoadEzpIndex(WritePackage(dir.path(), "x", p), index));
  std::vector<std::string> order;
  for (const auto& kv : index) order.push_back(kv.first);
  EXPECT_EQ(order, (std::vector<std::string>{"\\A", "\\Readme", "\\read", "\\readme", "\\z", "\\\xb0\xa1"}));
}

}  // namespace
