// Reading and extracting entries: verification, identical targets, and targets that are never
// left half-written or overwritten with bad bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "ezp_reader.h"
#include "test_support.h"

namespace {

using namespace testing_support;

std::vector<std::string> g_boxes;
void RecordBox(const std::string& name) { g_boxes.push_back(name); }

class ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    previous_ = SetEzpExtractErrorHandler(RecordBox);
  }
  void TearDown() override { SetEzpExtractErrorHandler(previous_); }

  // A package in the temporary folder with the given records, loaded.
  EzpIndex Load(const std::vector<HandRecord>& records, HandPackage* built = nullptr) {
    HandPackage p = BuildPackage(records);
    if (built) *built = p;
    EzpIndex index;
    EXPECT_TRUE(LoadEzpIndex(WritePackage(dir_.path(), "setupdir", p), index));
    return index;
  }

  TempDir dir_;
  EzpExtractErrorHandler previous_ = nullptr;
};

TEST_F(ExtractTest, ReadGivesVerifiedPlainContent) {
  Bytes a = MakeContent(5000, 1), b = MakeContent(77, 2);
  EzpIndex index = Load({Rec("\\a", a), Rec("\\b", b, 0)});
  Bytes buf(5000);
  ASSERT_TRUE(ReadEzpEntry("\\a", buf.data(), index, 5000));
  EXPECT_EQ(buf, a);
  ASSERT_TRUE(ReadEzpEntry("\\b", buf.data(), index, 5000)) << "flag 0: taken from the store as it stands";
  EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 77), b);
}

TEST_F(ExtractTest, ReadFailures) {
  HandRecord past_end = Rec("\\past", BytesOf("abc"));
  past_end.keep_position = true;
  past_end.offset = 1;
  past_end.length = 1000;
  HandRecord negative_offset = Rec("\\negoff", BytesOf("abc"));
  negative_offset.keep_position = true;
  negative_offset.offset = 0xFFFFFFF0u;
  negative_offset.length = 3;
  HandRecord negative_length = Rec("\\neglen", BytesOf("abc"));
  negative_length.keep_position = true;
  negative_length.length = 0x80000000u;
  HandRecord bad = Rec("\\bad", BytesOf("hello"));
  bad.bad_digest = true;
  EzpIndex index = Load({Rec("\\big", MakeContent(100, 3)), past_end, negative_offset, negative_length, bad});

  struct Case {
    const char* name;
    std::int32_t capacity;
    EzpStatus expected;
  } cases[] = {
      {"\\absent", 100, EzpStatus::kNotFound},
      {"\\big", 99, EzpStatus::kTooLarge},
      {"\\past", 2000, EzpStatus::kShortRead},
      {"\\negoff", 100, EzpStatus::kBadPosition},
      {"\\neglen", 100, EzpStatus::kBadPosition},
      {"\\bad", 100, EzpStatus::kDigestMismatch},
  };
  Bytes buf(2000);
  for (const Case& c : cases) {
    EXPECT_EQ(ReadEzpEntryStatus(c.name, buf.data(), index, c.capacity), c.expected) << c.name;
    EXPECT_FALSE(ReadEzpEntry(c.name, buf.data(), index, c.capacity)) << c.name;
  }
}

TEST_F(ExtractTest, CapacityIsCheckedBeforeTheStoreIsOpened) {
  EzpIndex index = Load({Rec("\\a", MakeContent(10, 1))});
  fs::remove(dir_ / "setupdir.ezps");
  Bytes buf(10);
  EXPECT_EQ(ReadEzpEntryStatus("\\a", buf.data(), index, 9), EzpStatus::kTooLarge);
  EXPECT_EQ(ReadEzpEntryStatus("\\a", buf.data(), index, 10), EzpStatus::kCannotOpen);
}

TEST_F(ExtractTest, WritesNewTargetsAndReplacesDifferentOnes) {
  Bytes content = MakeContent(4096, 9);
  EzpIndex index = Load({Rec("\\x.dll", content)});
  Bytes one_byte_off = content;
  one_byte_off[2000] ^= 0x40;
  struct Case {
    const char* what;
    bool exists;
    Bytes before;
  } cases[] = {
      {"no target yet", false, {}},
      {"same size, one byte differs", true, one_byte_off},
      {"shorter", true, MakeContent(100, 1)},
      {"longer", true, MakeContent(9000, 1)},
      {"empty", true, {}},
  };
  for (const Case& c : cases) {
    fs::path target = dir_ / "x.dll";
    fs::remove(target);
    if (c.exists) WriteBytes(target, c.before);
    bool written = false;
    EXPECT_EQ(ExtractEzpEntryStatus("\\x.dll", index, N(target), &written), EzpStatus::kOk) << c.what;
    EXPECT_TRUE(written) << c.what;
    EXPECT_EQ(ReadBytes(target), content) << c.what;
  }
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(ExtractTest, IdenticalTargetIsLeftAlone) {
  Bytes content = MakeContent(70000, 4);
  EzpIndex index = Load({Rec("\\same.exe", content)});
  fs::path target = dir_ / "same.exe";
  WriteBytes(target, content);
  auto old_time = fs::last_write_time(target) - std::chrono::hours(48);
  fs::last_write_time(target, old_time);
  bool written = true;
  EXPECT_TRUE(ExtractEzpEntry("\\same.exe", index, N(target)));
  EXPECT_EQ(ExtractEzpEntryStatus("\\same.exe", index, N(target), &written), EzpStatus::kOk);
  EXPECT_FALSE(written);
  EXPECT_EQ(fs::last_write_time(target), old_time) << "not rewritten";
}

TEST_F(ExtractTest, EmptyEntryIsNeverExtracted) {
  EzpIndex index = Load({Rec("\\empty", Bytes{})});
  fs::path target = dir_ / "empty";
  WriteBytes(target, BytesOf("keep me"));
  EXPECT_FALSE(ExtractEzpEntry("\\empty", index, N(target)));
  EXPECT_FALSE(ExtractEzpEntry("\\absent", index, N(target)));
  EXPECT_EQ(ReadBytes(target), BytesOf("keep me"));
  EXPECT_TRUE(g_boxes.empty()) << "neither case shows the box";
}

TEST_F(ExtractTest, BadContentNeverReachesTheTarget) {
  HandRecord bad = Rec("\\bad.dll", BytesOf("tampered"));
  bad.bad_digest = true;
  HandRecord short_store = Rec("\\short.dll", BytesOf("abc"));
  short_store.keep_position = true;
  short_store.offset = 0;
  short_store.length = 500;
  EzpIndex index = Load({bad, short_store});
  for (const char* name : {"\\bad.dll", "\\short.dll"}) {
    g_boxes.clear();
    fs::path target = dir_ / (std::string(name + 1) + ".target");
    WriteBytes(target, BytesOf("old content"));
    EXPECT_FALSE(ExtractEzpEntry(name, index, N(target))) << name;
    EXPECT_EQ(g_boxes, std::vector<std::string>{name}) << "the box names the entry";
    EXPECT_EQ(ReadBytes(target), BytesOf("old content")) << name;
  }
}

TEST_F(ExtractTest, EmptyStoreMakesEveryExtractionShowTheBox) {
  EzpIndex index = Load({Rec("\\a", BytesOf("1")), Rec("\\b", BytesOf("22"))});
  WriteBytes(dir_ / "setupdir.ezps", {});
  for (const char* name : {"\\a", "\\b"}) EXPECT_FALSE(ExtractEzpEntry(name, index, N(dir_ / "t")));
  EXPECT_EQ(g_boxes, (std::vector<std::string>{"\\a", "\\b"}));
  EXPECT_FALSE(fs::exists(dir_ / "t"));
}

TEST_F(ExtractTest, TargetsThatCannotBeReplacedStayAsTheyWere) {
  Bytes content = MakeContent(3000, 5);
  EzpIndex index = Load({Rec("\\f", content)});
  fs::path read_only = dir_ / "ro.dll";
  WriteBytes(read_only, BytesOf("old"));
  fs::permissions(read_only, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  fs::create_directory(dir_ / "folder");
  struct Case {
    const char* what;
    fs::path target;
  } cases[] = {
      {"read-only file", read_only},
      {"a folder in the way", dir_ / "folder"},
      {"missing folder", dir_ / "no" / "such" / "f"},
  };
  auto before = ListFiles(dir_.path());
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractEzpEntryStatus("\\f", index, N(c.target)), EzpStatus::kCannotWrite) << c.what;
    EXPECT_FALSE(ExtractEzpEntry("\\f", index, N(c.target))) << c.what;
  }
  EXPECT_EQ(ReadBytes(read_only), BytesOf("old"));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
  EXPECT_EQ(ListFiles(dir_.path()), before) << "no temporary file left behind";
  EXPECT_TRUE(g_boxes.empty()) << "a target that cannot be written is the caller's question, not a bad package";
}

TEST_F(ExtractTest, ExtractsGbkNamedTargets) {
  // Target paths are narrow strings in the platform's code page: UTF-8 here, 936 under Windows.
  Bytes content = MakeContent(1234, 6);
  EzpIndex index = Load({Rec("\\\xca\xfd\xd7\xd6.dll", content)});
  fs::create_directories(dir_ / "数字证书");
  fs::path target = dir_ / "数字证书/客户端.dll";
  ASSERT_TRUE(ExtractEzpEntry("\\\xca\xfd\xd7\xd6.dll", index, N(target)));
  EXPECT_EQ(ReadBytes(target), content);
}

TEST(JoinEzpEntryPath, KeepsEntriesInsideTheFolder) {
  struct Case {
    const char* name;
    const char* joined;  // nullptr: refused
  } cases[] = {
      {"\\a.dll", "F\\a.dll"},
      {"\\sub\\dir/x.txt", "F\\sub\\dir/x.txt"},
      {"/a", "F\\a"},
      {"\\a..b", "F\\a..b"},
      {"\\.hidden", "F\\.hidden"},
      {"\\", nullptr},
      {"", nullptr},
      {"\\\\server\\share", nullptr},
      {"\\/x", nullptr},
      {"\\..\\x", nullptr},
      {"\\a\\..\\..\\x", nullptr},
      {"\\a/..", nullptr},
      {"\\a\\.\\b", nullptr},
      {"\\a\\. .\\b", nullptr},
      {"\\C:\\Windows\\x.dll", nullptr},
      {"\\a.txt:stream", nullptr},
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    bool ok = JoinEzpEntryPath("F\\", c.name, &out);
    if (c.joined) {
      EXPECT_TRUE(ok) << c.name;
      EXPECT_EQ(out, c.joined) << c.name;
    } else {
      EXPECT_FALSE(ok) << c.name;
      EXPECT_EQ(out, "unchanged") << c.name;
    }
  }
}

}  // namespace
