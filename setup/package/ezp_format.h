// The EZP package format: an index (".ezpi") of fixed-size records and a store (".ezps") of contents.
// FORMAT.md beside this file describes the layout; this header holds its constants and the record codec
// that the reader and the packer share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::size_t kEzpBannerLength = 101;  // banner text, then a NUL at offset 101
inline constexpr std::size_t kEzpHeaderSize = 512;
inline constexpr std::size_t kEzpRecordSize = 301;  // flag byte + 300-byte body
inline constexpr std::size_t kEzpBodySize = 300;
inline constexpr std::size_t kEzpNameField = 260;
inline constexpr std::size_t kEzpMaxNameLength = kEzpNameField - 1;
inline constexpr std::size_t kEzpDigestSize = 32;

// Record body layout (offsets inside the 301-byte record).
inline constexpr std::size_t kEzpNameOffset = 1;
inline constexpr std::size_t kEzpDigestOffset = 261;
inline constexpr std::size_t kEzpEntryOffsetOffset = 293;
inline constexpr std::size_t kEzpLengthOffset = 297;

// Record flag: 1 means body and content are scrambled; every other value means plain.
inline constexpr std::uint8_t kEzpFlagScrambled = 1;
inline constexpr std::uint8_t kEzpFlagPlain = 0;

// The one-byte package mask that packer and reader share. Changing it makes every package built
// before unreadable.
inline constexpr std::uint8_t kEzpPackageMask = 0xA5;

// The banner every index begins with: exactly kEzpBannerLength bytes of ASCII.
extern const char kEzpBanner[kEzpBannerLength + 1];

using EzpDigest = std::array<std::uint8_t, kEzpDigestSize>;

inline std::uint8_t UnscrambleEzpByte(std::uint8_t b) {
  return static_cast<std::uint8_t>(((b << 4) | (b >> 4)) ^ kEzpPackageMask);
}
inline std::uint8_t ScrambleEzpByte(std::uint8_t b) {
  b ^= kEzpPackageMask;
  return static_cast<std::uint8_t>((b << 4) | (b >> 4));
}

// In place; position-independent, so any run of bytes may be done in pieces.
void UnscrambleEzpBytes(std::uint8_t* bytes, std::size_t count);
void ScrambleEzpBytes(std::uint8_t* bytes, std::size_t count);

// One index record with its fields taken apart. Offset and length are the raw unsigned values;
// the reader decides what it accepts.
struct EzpRecord {
  std::uint8_t flag = kEzpFlagScrambled;
  std::string name;  // code page 936 bytes, without the NUL
  EzpDigest digest{};
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// Decodes one 301-byte record; unscrambles a copy of the body when the flag says so.
EzpRecord DecodeEzpRecord(const std::uint8_t* record);

// Encodes one record into 301 bytes, scrambling the body when the flag is 1. The name must hold at
// most kEzpMaxNameLength bytes and no NUL; returns false otherwise and writes nothing.
[[nodiscard]] bool EncodeEzpRecord(const EzpRecord& record, std::uint8_t* out);

// The 512-byte block an index starts with.
std::array<std::uint8_t, kEzpHeaderSize> MakeEzpHeader();
