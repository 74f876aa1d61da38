// LZMA-alone streams: the header we write, both stream endings, damaged streams and their error
// numbers, and the unpacker's file and standard-output behaviour.
#include <gtest/gtest.h>

#include <cstring>

#include "ezp_lzma.h"
#include "test_support.h"

namespace {

using namespace testing_support;

Bytes Encode(const Bytes& data, bool end_marker = false) {
  Bytes out;
  EXPECT_TRUE(EncodeLzmaAlone(data.data(), data.size(), &out, end_marker));
  return out;
}

LzmaResult Decode(const Bytes& stream, Bytes* out) {
  return DecodeLzmaAloneToVector(stream.data(), stream.size(), out, 1u << 30);
}

TEST(LzmaAlone, HeaderStatesPropertiesDictionaryAndRealSize) {
  Bytes s = Encode(MakeContent(70000, 1));
  ASSERT_GE(s.size(), kLzmaAloneHeaderSize);
  const std::uint8_t expected[13] = {0x5D, 0x00, 0x00, 0x00, 0x01, 0x70, 0x11, 0x01, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(s.data(), expected, 13));
}

TEST(LzmaAlone, RoundTripsWithAndWithoutEndMarker) {
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096}, std::size_t{300000}}) {
    Bytes data = MakeContent(size, static_cast<std::uint32_t>(size));
    Bytes plain = Encode(data, false), marked = Encode(data, true);
    EXPECT_GT(marked.size(), plain.size()) << "the end marker takes bytes";
    for (const Bytes* s : {&plain, &marked}) {
      Bytes out;
      EXPECT_EQ(Decode(*s, &out), LzmaResult::kOk) << size;
      EXPECT_EQ(out, data) << size;
    }
  }
}

TEST(LzmaAlone, EncodingIsDeterministic) {
  Bytes data = MakeContent(50000, 8);
  EXPECT_EQ(Encode(data), Encode(data));
}

TEST(LzmaAlone, DamagedStreamsGiveTheirErrorNumbers) {
  Bytes data = MakeContent(200000, 2);
  Bytes good = Encode(data);
  Bytes marked = Encode(data, true);
  auto with = [&](auto change) {
    Bytes s = good;
    change(s);
    return s;
  };
  Bytes marked_early = marked;
  marked_early[6] += 1;  // the end marker comes 256 bytes before the stated size
  struct Case {
    const char* what;
    Bytes stream;
    LzmaResult expected;
  } cases[] = {
      {"empty", {}, LzmaResult::kTruncated},
      {"header only", Bytes(good.begin(), good.begin() + 13), LzmaResult::kTruncated},
      {"shorter than a header", Bytes(good.begin(), good.begin() + 7), LzmaResult::kTruncated},
      {"data cut in half", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
       LzmaResult::kTruncated},
      {"end marker before the stated size", marked_early, LzmaResult::kCorrupt},
      {"properties byte out of range", with([](Bytes& s) { s[0] = 225; }), LzmaResult::kUnsupported},
      {"lc + lp above 4", with([](Bytes& s) { s[0] = 3 + 9 * 2; }), LzmaResult::kUnsupported},
      {"size unknown (all ones)", with([](Bytes& s) { std::memset(&s[5], 0xFF, 8); }), LzmaResult::kUnsupported},
      {"dictionary and size both above 64 MiB", with([](Bytes& s) { s[4] = 0x10; s[8] = 0x10; }), LzmaResult::kUnsupported},
      {"size of 4 GiB", with([](Bytes& s) { std::memset(&s[5], 0, 8); s[9] = 1; }), LzmaResult::kUnsupported},
      {"first data byte not 0", with([](Bytes& s) { s[13] = 0x80; }), LzmaResult::kCorrupt},
  };
  for (const Case& c : cases) {
    Bytes out;
    EXPECT_EQ(Decode(c.stream, &out), c.expected) << c.what;
  }
}

TEST(LzmaAlone, CorruptedDataIsNeverReportedAsSuccess) {
  Bytes data = MakeContent(100000, 5);
  Bytes good = Encode(data);
  for (std::size_t at = 14; at < good.size(); at += good.size() / 37) {
    Bytes s = good;
    s[at] ^= 0x55;
    Bytes out;
    LzmaResult r = Decode(s, &out);
    if (r == LzmaResult::kOk) {
      EXPECT_EQ(out, data) << "changed byte " << at;
    } else {
      EXPECT_TRUE(r == LzmaResult::kCorrupt || r == LzmaResult::kTruncated) << at;
    }
  }
}

TEST(LzmaAlone, HugeDictionaryInHeaderIsBoundedByTheOutput) {
  Bytes data = MakeContent(1000, 3);
  Bytes s = Encode(data);
  std::memset(&s[1], 0xFF, 4);  // 4 GiB dictionary stated
  Bytes out;
  EXPECT_EQ(Decode(s, &out), LzmaResult::kOk);
  EXPECT_EQ(out, data);
}

TEST(LzmaAlone, CallerLimitRefusesLargerStatedSizes) {
  Bytes s = Encode(MakeContent(5000, 3));
  Bytes out;
  EXPECT_EQ(DecodeLzmaAloneToVector(s.data(), s.size(), &out, 4999), LzmaResult::kUnsupported);
}

TEST(UnpackEzpResource, WritesTheDecodedFile) {
  TempDir dir;
  Bytes data(3 << 20);  // more than one output piece; regular, so that it encodes quickly
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i % 251 + i / 100000);
  Bytes s = Encode(data);
  fs::path target = dir / "setupdir.ezps";
  WriteBytes(target, BytesOf("previous run"));
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(UnpackEzpResource(s.data(), static_cast<std::uint32_t>(s.size()), N(target)));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(ReadBytes(target), data);
  EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"setupdir.ezps"});
}

TEST(UnpackEzpResource, FailedDecodingLeavesAnEmptyTargetAndSaysWhy) {
  TempDir dir;
  Bytes s = Encode(MakeContent(100000, 7));
  s.resize(s.size() / 2);
  fs::path target = dir / "windir.ezps";
  WriteBytes(target, BytesOf("previous run"));
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(UnpackEzpResource(s.data(), static_cast<std::uint32_t>(s.size()), N(target)));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "LzmaUncompress:6\n");
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);
  EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{"windir.ezps"}) << "nothing half-written beside it";
}

TEST(UnpackEzpResource, UnwritableTargetIsReported) {
  TempDir dir;
  Bytes s = Encode(BytesOf("x"));
  std::string target = N(dir / "missing") + "/setupdir.ezpi";
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(UnpackEzpResource(s.data(), static_cast<std::uint32_t>(s.size()), target));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Open DesFile ERR:" + target + "\n");
}

}  // namespace
