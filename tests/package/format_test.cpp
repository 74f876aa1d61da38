// The byte transform and the record layout that packer and reader share.
#include <gtest/gtest.h>

#include <cstring>

#include "ezp_format.h"

namespace {

TEST(EzpScramble, UnscrambleInvertsScrambleForEveryByte) {
  for (int p = 0; p < 256; ++p) {
    std::uint8_t b = static_cast<std::uint8_t>(p);
    ScrambleEzpBytes(&b, 1);
    UnscrambleEzpBytes(&b, 1);
    EXPECT_EQ(b, p);
  }
}

TEST(EzpScramble, UnscrambleSwapsHalvesThenMasks) {
  // The order matters: masking first would give a different byte for every mask with unequal halves.
  std::uint8_t b = 0x1E;
  UnscrambleEzpBytes(&b, 1);
  EXPECT_EQ(b, 0xE1 ^ kEzpPackageMask);
}

TEST(EzpScramble, PositionIndependent) {
  std::uint8_t run[4] = {7, 7, 7, 7};
  ScrambleEzpBytes(run, 4);
  EXPECT_EQ(run[0], run[3]);
}

TEST(EzpFormat, BannerIsExactly101Bytes) {
  EXPECT_EQ(std::strlen(kEzpBanner), kEzpBannerLength);
  auto header = MakeEzpHeader();
  EXPECT_EQ(0, std::memcmp(header.data(), kEzpBanner, kEzpBannerLength));
  for (std::size_t i = kEzpBannerLength; i < kEzpHeaderSize; ++i) ASSERT_EQ(header[i], 0) << i;
}

TEST(EzpRecordCodec, RoundTripsFieldsAtTheirOffsets) {
  for (std::uint8_t flag : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{255}}) {
    EzpRecord r;
    r.flag = flag;
    r.name = "\\dir\\\xca\xfd\xd7\xd6.dll";
    for (std::size_t i = 0; i < kEzpDigestSize; ++i) r.digest[i] = static_cast<std::uint8_t>(i * 7);
    r.offset = 0x01020304;
    r.length = 0x7FFFFFFF;
    std::uint8_t raw[kEzpRecordSize];
    ASSERT_TRUE(EncodeEzpRecord(r, raw));
    EXPECT_EQ(raw[0], flag) << "the flag byte is never scrambled";
    if (flag != kEzpFlagScrambled) {
      EXPECT_EQ(0, std::memcmp(raw + kEzpNameOffset, r.name.data(), r.name.size()));
      EXPECT_EQ(raw[kEzpEntryOffsetOffset], 0x04) << "little-endian";
      EXPECT_EQ(raw[kEzpLengthOffset + 3], 0x7F);
    }
    EzpRecord back = DecodeEzpRecord(raw);
    EXPECT_EQ(back.flag, flag);
    EXPECT_EQ(back.name, r.name);
    EXPECT_EQ(back.digest, r.digest);
    EXPECT_EQ(back.offset, r.offset);
    EXPECT_EQ(back.length, r.length);
  }
}

TEST(EzpRecordCodec, ScrambledBodyCoversEveryField) {
  EzpRecord r;
  r.name = "\\a";
  std::uint8_t raw[kEzpRecordSize];
  ASSERT_TRUE(EncodeEzpRecord(r, raw));
  // Zero bytes of the body (after the name, digest, offset, length) come out as the scrambled zero.
  EXPECT_EQ(raw[kEzpNameOffset + 5], ScrambleEzpByte(0));
  EXPECT_EQ(raw[kEzpLengthOffset], ScrambleEzpByte(0));
}

TEST(EzpRecordCodec, NameLimits) {
  EzpRecord r;
  std::uint8_t raw[kEzpRecordSize];
  r.name = std::string(kEzpMaxNameLength, 'n');
  EXPECT_TRUE(EncodeEzpRecord(r, raw));
  EXPECT_EQ(DecodeEzpRecord(raw).name.size(), kEzpMaxNameLength);
  r.name = std::string(kEzpNameField, 'n');
  EXPECT_FALSE(EncodeEzpRecord(r, raw)) << "no room for the NUL";
  r.name = std::string("a\0b", 3);
  EXPECT_FALSE(EncodeEzpRecord(r, raw));
}

TEST(EzpRecordCodec, NameFieldWithoutNulIsTakenWhole) {
  std::uint8_t raw[kEzpRecordSize] = {};
  raw[0] = kEzpFlagPlain;
  std::memset(raw + kEzpNameOffset, 'x', kEzpNameField);
  EXPECT_EQ(DecodeEzpRecord(raw).name, std::string(kEzpNameField, 'x'));
}

TEST(EzpRecordCodec, BytesAfterTheNameNulAreIgnored) {
  std::uint8_t raw[kEzpRecordSize] = {};
  std::memcpy(raw + kEzpNameOffset, "\\ab\0junk", 8);
  EXPECT_EQ(DecodeEzpRecord(raw).name, "\\ab");
}

}  // namespace
