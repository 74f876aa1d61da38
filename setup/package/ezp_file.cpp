// The platform-independent part of the file operations.
#include "ezp_file.h"

#include <cstring>
#include <memory>
#include <new>

bool EzpInputFile::ReadExact(void* buffer, std::size_t count) {
  auto* p = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    std::size_t got = ReadSome(p, count);
    if (got == 0) return false;
    p += got;
    count -= got;
  }
  return true;
}

bool EzpFileHoldsExactly(const std::string& path, const std::uint8_t* content, std::size_t length) {
  constexpr std::size_t kCompareChunk = 64 * 1024;
  EzpInputFile file;
  std::uint64_t size = 0;
  if (!file.Open(path) || !file.Size(&size) || size != length) return false;
  std::unique_ptr<std::uint8_t[]> chunk(new (std::nothrow) std::uint8_t[kCompareChunk]);
  if (!chunk) return false;
  for (std::size_t done = 0; done < length;) {
    std::size_t n = length - done < kCompareChunk ? length - done : kCompareChunk;
    if (!file.ReadExact(chunk.get(), n) || std::memcmp(chunk.get(), content + done, n) != 0) return false;
    done += n;
  }
  // The size was right and every byte matched; a file that grew meanwhile is not identical.
  std::uint8_t extra;
  return file.ReadSome(&extra, 1) == 0;
}
