// A small PNG encoder for the robot's screenshots: 8-bit RGB, no filtering, deflate "stored" blocks.
// Files are larger than a compressing encoder would make them, but it needs no zlib and any viewer
// reads them. Plain C++, so it builds for every flavour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace robot {

enum class ChannelOrder { kRgb, kBgr };  // kBgr: the byte order of a Windows 24-bit DIB

// CRC-32 as PNG and zlib use it (reflected 0xEDB88320); pass the previous result to continue.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
// Adler-32 as zlib uses it; pass the previous result to continue (start value 1).
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

// The PNG file of a picture given as `height` rows, top row first, each `stride` bytes after the
// previous one (stride >= 3 * width; the bytes past a row's pixels are ignored). Empty when the
// picture is empty or too large for the format.
std::vector<std::uint8_t> EncodePng(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                                    ChannelOrder order = ChannelOrder::kRgb);

// Writes EncodePng's file to `path`; false when there is nothing to write or writing fails.
bool WritePng(const std::filesystem::path& path, const std::uint8_t* pixels, int width, int height,
              std::size_t stride, ChannelOrder order = ChannelOrder::kRgb);

}  // namespace robot
