// Input: an LZMA-alone stream as a package resource would carry it.
#include <cstdint>
#include <cstdlib>

#include "ezp_lzma.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A stream may state up to 4 GiB; past 16 MiB of output the sink stops it, to keep runs short.
  std::size_t produced = 0;
  LzmaResult r = DecodeLzmaAlone(data, size, [&produced](const std::uint8_t*, std::size_t n) {
    produced += n;
    return produced <= (16u << 20);
  });
  LzmaAloneHeader header;
  if (r == LzmaResult::kOk && (!ParseLzmaAloneHeader(data, size, &header) || header.uncompressed_size != produced)) {
    std::abort();  // success must mean exactly the stated size was produced
  }
  return 0;
}
