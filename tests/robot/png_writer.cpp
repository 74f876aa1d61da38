#include "png_writer.h"

#include <array>
#include <fstream>

namespace robot {
namespace {

// Raw image data (filter byte plus pixels per row) above this is refused: screenshots are a few MB,
// and one IDAT chunk must stay below 2^31 bytes.
constexpr std::size_t kMaxRaw = std::size_t{256} << 20;
constexpr std::size_t kMaxStoredBlock = 65535;

const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  // The CRC covers the type and the data, not the length.
  PutBig32(out, Crc32(out.data() + type_at, out.size() - type_at));
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
  const auto& table = CrcTable();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler) {
  constexpr std::uint32_t kMod = 65521;
  std::uint32_t a = adler & 0xFFFF;
  std::uint32_t b = adler >> 16;
  // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the reduction.
  while (size > 0) {
    std::size_t n = size < 5552 ? size : 5552;
    size -= n;
    while (n-- > 0) {
      a += *data++;
      b += a;
    }
    a %= kMod;
    b %= kMod;
  }
  return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                                    ChannelOrder order) {
  if (pixels == nullptr || width <= 0 || height <= 0) return {};
  const std::size_t row_bytes = std::size_t(width) * 3;
  if (stride < row_bytes) return {};
  if ((row_bytes + 1) > kMaxRaw / std::size_t(height)) return {};

  // Filter type 0 (none) in front of every row; pixels turned into R, G, B.
  std::vector<std::uint8_t> raw;
  raw.reserve((row_bytes + 1) * std::size_t(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + std::size_t(y) * stride;
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = row + std::size_t(x) * 3;
      if (order == ChannelOrder::kBgr) {
        raw.insert(raw.end(), {p[2], p[1], p[0]});
      } else {
        raw.insert(raw.end(), {p[0], p[1], p[2]});
      }
    }
  }

  // zlib stream: header (deflate, 32K window, no dictionary, check bits), stored blocks, Adler-32.
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  zlib.reserve(raw.size() + raw.size() / kMaxStoredBlock * 5 + 16);
  std::size_t at = 0;
  do {
    const std::size_t n = raw.size() - at < kMaxStoredBlock ? raw.size() - at : kMaxStoredBlock;
    const bool last = at + n == raw.size();
    // BFINAL in bit 0, BTYPE 00 (stored); the rest of the byte pads to the byte boundary.
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<std::uint8_t>(n));
    zlib.push_back(static_cast<std::uint8_t>(n >> 8));
    zlib.push_back(static_cast<std::uint8_t>(~n));
    zlib.push_back(static_cast<std::uint8_t>(~n >> 8));
    zlib.insert(zlib.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + n));
    at += n;
  } while (at < raw.size());
  PutBig32(zlib, Adler32(raw.data(), raw.size()));

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  PutBig32(ihdr, static_cast<std::uint32_t>(width));
  PutBig32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, adaptive filters, no interlace
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

bool WritePng(const std::filesystem::path& path, const std::uint8_t* pixels, int width, int height,
              std::size_t stride, ChannelOrder order) {
  const std::vector<std::uint8_t> png = EncodePng(pixels, width, height, stride, order);
  if (png.empty()) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  out.close();
  return !out.fail();
}

}  // namespace robot
