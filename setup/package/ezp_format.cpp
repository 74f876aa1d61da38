#include "ezp_format.h"

#include <cstring>

const char kEzpBanner[kEzpBannerLength + 1] =
    "EZP package index | Zeva certificate client suite | VantorSetup payload | records of 301 bytes follow";
static_assert(sizeof(kEzpBanner) == kEzpBannerLength + 1, "the banner is exactly 101 bytes");

namespace {

std::uint32_t GetLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

// Plain loops over bytes: the compiler vectorises them, and a lookup table would not be faster.
void UnscrambleEzpBytes(std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = UnscrambleEzpByte(bytes[i]);
}

void ScrambleEzpBytes(std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = ScrambleEzpByte(bytes[i]);
}

EzpRecord DecodeEzpRecord(const std::uint8_t* record) {
  std::uint8_t r[kEzpRecordSize];
  std::memcpy(r, record, kEzpRecordSize);
  EzpRecord out;
  out.flag = r[0];
  if (out.flag == kEzpFlagScrambled) UnscrambleEzpBytes(r + 1, kEzpBodySize);
  const char* name = reinterpret_cast<const char*>(r + kEzpNameOffset);
  const void* nul = std::memchr(name, 0, kEzpNameField);
  out.name.assign(name, nul ? static_cast<const char*>(nul) - name : kEzpNameField);
  std::memcpy(out.digest.data(), r + kEzpDigestOffset, kEzpDigestSize);
  out.offset = GetLe32(r + kEzpEntryOffsetOffset);
  out.length = GetLe32(r + kEzpLengthOffset);
  return out;
}

bool EncodeEzpRecord(const EzpRecord& record, std::uint8_t* out) {
  if (record.name.size() > kEzpMaxNameLength || record.name.find('\0') != std::string::npos) return false;
  std::uint8_t r[kEzpRecordSize] = {};
  r[0] = record.flag;
  std::memcpy(r + kEzpNameOffset, record.name.data(), record.name.size());
  std::memcpy(r + kEzpDigestOffset, record.digest.data(), kEzpDigestSize);
  PutLe32(r + kEzpEntryOffsetOffset, record.offset);
  PutLe32(r + kEzpLengthOffset, record.length);
  if (record.flag == kEzpFlagScrambled) ScrambleEzpBytes(r + 1, kEzpBodySize);
  std::memcpy(out, r, kEzpRecordSize);
  return true;
}

std::array<std::uint8_t, kEzpHeaderSize> MakeEzpHeader() {
  std::array<std::uint8_t, kEzpHeaderSize> header{};
  std::memcpy(header.data(), kEzpBanner, kEzpBannerLength);
  return header;
}
