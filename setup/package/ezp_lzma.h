// LZMA-alone streams: the form in which the four package files travel as resources.
// Header: properties byte, 32-bit dictionary size, 64-bit uncompressed size (little-endian), then
// LZMA data, with or without an end marker after the stated size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr std::size_t kLzmaAloneHeaderSize = 13;
inline constexpr std::uint8_t kEzpLzmaProperties = 0x5D;        // lc 3, lp 0, pb 2
inline constexpr std::uint32_t kEzpLzmaDictionary = 1u << 24;   // 16 MiB

// Decoding results. The numbers are the ones the unpacker prints in "LzmaUncompress:%d".
enum class LzmaResult : int {
  kOk = 0,
  kCorrupt = 1,       // the data is not a valid LZMA stream
  kNoMemory = 2,      // the decoder could not get its memory
  kUnsupported = 4,   // properties or stated size this reader does not take
  kTruncated = 6,     // the data ended before the stated size was produced
  kSinkFailed = -1,   // the consumer of the output refused it (a write failed); not a decoding error
};

// Receives decoded bytes in order; returns false to stop decoding.
using LzmaSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Parsed header; false when the stream is shorter than a header.
struct LzmaAloneHeader {
  std::uint8_t properties = 0;
  std::uint32_t dictionary = 0;
  std::uint64_t uncompressed_size = 0;
};
[[nodiscard]] bool ParseLzmaAloneHeader(const std::uint8_t* data, std::size_t size, LzmaAloneHeader* header);

// Decodes one stream whose header states the real size (below 4 GiB). The decoder reserves the
// smaller of the stated dictionary and the stated size, and refuses (kUnsupported) a stream for which
// that is above 64 MiB, so a damaged header cannot make it reserve gigabytes; the output itself is
// never held whole.
LzmaResult DecodeLzmaAlone(const std::uint8_t* data, std::size_t size, const LzmaSink& sink);

// Convenience for tools and tests: decodes into memory. max_output refuses streams whose stated size
// is larger (kUnsupported), so a caller can bound the allocation by what it is prepared to hold.
LzmaResult DecodeLzmaAloneToVector(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* out,
                                   std::uint64_t max_output);

// Encodes data (below 4 GiB) as one stream with properties 0x5D, a 16 MiB dictionary and the real size.
// By default the stream has no end marker, the layout every LZMA-alone reader takes; with_end_marker
// adds one after the data. Deterministic: the same input gives the same bytes.
[[nodiscard]] bool EncodeLzmaAlone(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* out,
                                   bool with_end_marker = false);

// Unpacks one package resource to target. The target is created or cut to length 0 first; when that
// fails, "Open DesFile ERR:<path>" goes to standard output. The decoded bytes are written beside it
// and take its place only when the whole stream decoded, so on failure ("LzmaUncompress:<n>" on
// standard output for decoding errors) the target stays behind empty, never half-written.
[[nodiscard]] bool UnpackEzpResource(const void* bytes, std::uint32_t size, const std::string& target);
