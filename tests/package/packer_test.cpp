// Packing: what the writer refuses, and that what it writes reads back entry for entry.
#include <gtest/gtest.h>

#include "ezp_packer.h"
#include "ezp_reader.h"
#include "test_support.h"

namespace {

using namespace testing_support;

struct Item {
  std::string name;
  Bytes content;
};

bool Pack(const fs::path& dir, const std::vector<Item>& items, bool scrambled, std::string* error) {
  EzpPackWriter writer(scrambled);
  if (!writer.Begin(N(dir / "p.ezpi"), N(dir / "p.ezps"), error)) return false;
  for (const Item& i : items) {
    if (!writer.Add(i.name, i.content.data(), i.content.size(), error)) return false;
  }
  return writer.Finish(error);
}

TEST(EzpPackWriter, WhatItWritesReadsBack) {
  std::vector<Item> items = {{"\\z.bin", MakeContent(10000, 1)},
                             {"\\dir\\\xca\xfd.dll", MakeContent(1, 2)},
                             {"\\a.txt", BytesOf("hello")}};
  for (bool scrambled : {true, false}) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(Pack(dir.path(), items, scrambled, &error)) << error;
    Bytes index_bytes = ReadBytes(dir / "p.ezpi");
    EXPECT_EQ(index_bytes.size(), kEzpHeaderSize + 3 * kEzpRecordSize);
    EXPECT_EQ(DecodeEzpRecord(index_bytes.data() + kEzpHeaderSize).flag, scrambled ? 1 : 0);
    EXPECT_EQ(DecodeEzpRecord(index_bytes.data() + kEzpHeaderSize).name, "\\a.txt") << "records in name order";
    EXPECT_EQ(ReadBytes(dir / "p.ezps").size(), 10006u) << "contents back to back, no gaps";

    EzpIndex index;
    ASSERT_TRUE(LoadEzpIndex(N(dir / "p.ezpi"), index));
    ASSERT_EQ(index.size(), 3u);
    for (const Item& i : items) {
      EXPECT_EQ(index.at(i.name).scrambled, scrambled);
      Bytes buf(i.content.size());
      ASSERT_TRUE(ReadEzpEntry(i.name, buf.data(), index, static_cast<std::int32_t>(buf.size()))) << i.name;
      EXPECT_EQ(buf, i.content);
    }
  }
}

TEST(EzpPackWriter, RefusesWhatTheInstallerCouldNotUse) {
  struct Case {
    const char* what;
    Item item;
  } cases[] = {
      {"empty content", {"\\empty.txt", {}}},
      {"name without leading separator", {"a.txt", BytesOf("x")}},
      {"name of 260 bytes", {"\\" + std::string(259, 'n'), BytesOf("x")}},
      {"name holding a NUL", {std::string("\\a\0b", 4), BytesOf("x")}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(Pack(dir.path(), {{"\\ok", BytesOf("fine")}, c.item}, true, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(ListFiles(dir.path()).empty()) << c.what << ": no half package left behind";
  }
}

TEST(EzpPackWriter, RefusesTwoEntriesOfOneName) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(Pack(dir.path(), {{"\\a", BytesOf("1")}, {"\\a", BytesOf("2")}}, true, &error));
  EXPECT_NE(error.find("\\a"), std::string::npos);
  EXPECT_TRUE(ListFiles(dir.path()).empty());
}

TEST(EzpPackWriter, SameInputSameBytes) {
  std::vector<Item> items = {{"\\b", MakeContent(3000, 1)}, {"\\a", MakeContent(20, 2)}};
  TempDir one, two;
  std::string error;
  ASSERT_TRUE(Pack(one.path(), items, true, &error));
  ASSERT_TRUE(Pack(two.path(), items, true, &error));
  EXPECT_EQ(ReadBytes(one / "p.ezpi"), ReadBytes(two / "p.ezpi"));
  EXPECT_EQ(ReadBytes(one / "p.ezps"), ReadBytes(two / "p.ezps"));
}

}  // namespace
