#include "ezp_lzma.h"

#include <lzma.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "ezp_file.h"

namespace {

constexpr std::size_t kOutChunk = 1u << 20;
constexpr std::uint64_t kMaxStatedSize = 0xFFFFFFFFull;  // sizes of 4 GiB and more are not ours
// The largest dictionary the decoder reserves: what xz's strongest preset uses, four times what our
// packages use. A header asking for more (after the clamp below) is refused instead of trusted.
constexpr std::uint64_t kMaxDecoderDictionary = 64u << 20;

std::uint64_t GetLe(const std::uint8_t* p, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

void PutLe(std::uint8_t* p, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Owns an lzma_stream for one coding run.
struct LzmaStream {
  lzma_stream s = LZMA_STREAM_INIT;
  ~LzmaStream() { lzma_end(&s); }
};

LzmaResult FromLzmaRet(lzma_ret ret) {
  switch (ret) {
    case LZMA_MEM_ERROR:
    case LZMA_MEMLIMIT_ERROR:
      return LzmaResult::kNoMemory;
    case LZMA_OPTIONS_ERROR:
    case LZMA_FORMAT_ERROR:
      return LzmaResult::kUnsupported;
    case LZMA_BUF_ERROR:
      return LzmaResult::kTruncated;
    default:
      return LzmaResult::kCorrupt;
  }
}

// Splits the properties byte as liblzma's LZMA1 decoder takes it (lc + lp at most 4).
bool SplitProperties(std::uint8_t props, lzma_options_lzma* opt) {
  if (props >= 9 * 5 * 5) return false;
  opt->lc = props % 9;
  props = static_cast<std::uint8_t>(props / 9);
  opt->lp = props % 5;
  opt->pb = props / 5u;
  return opt->lc + opt->lp <= LZMA_LCLP_MAX;
}

}  // namespace

bool ParseLzmaAloneHeader(const std::uint8_t* data, std::size_t size, LzmaAloneHeader* header) {
  if (size < kLzmaAloneHeaderSize) return false;
  header->properties = data[0];
  header->dictionary = static_cast<std::uint32_t>(GetLe(data + 1, 4));
  header->uncompressed_size = GetLe(data + 5, 8);
  return true;
}

LzmaResult DecodeLzmaAlone(const std::uint8_t* data, std::size_t size, const LzmaSink& sink) {
  LzmaAloneHeader header;
  if (!ParseLzmaAloneHeader(data, size, &header)) return LzmaResult::kTruncated;
  // The stated size must be real: "unknown" (all ones) and anything from 4 GiB up are refused.
  if (header.uncompressed_size > kMaxStatedSize) return LzmaResult::kUnsupported;

  lzma_options_lzma opt;
  std::memset(&opt, 0, sizeof opt);
  if (!SplitProperties(header.properties, &opt)) return LzmaResult::kUnsupported;
  // No match can reach further back than the output so far, so a dictionary larger than the whole
  // output is never needed; the clamp keeps a damaged header from reserving gigabytes.
  std::uint64_t dict = header.dictionary;
  if (dict > header.uncompressed_size) dict = header.uncompressed_size;
  if (dict < LZMA_DICT_SIZE_MIN) dict = LZMA_DICT_SIZE_MIN;
  if (dict > kMaxDecoderDictionary) return LzmaResult::kUnsupported;
  opt.dict_size = static_cast<std::uint32_t>(dict);
  opt.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  lzma_set_ext_size(opt, header.uncompressed_size);

  lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
  LzmaStream stream;
  lzma_ret ret = lzma_raw_decoder(&stream.s, filters);
  if (ret != LZMA_OK) return FromLzmaRet(ret);

  std::unique_ptr<std::uint8_t[]> out(new (std::nothrow) std::uint8_t[kOutChunk]);
  if (!out) return LzmaResult::kNoMemory;
  stream.s.next_in = data + kLzmaAloneHeaderSize;
  stream.s.avail_in = size - kLzmaAloneHeaderSize;
  for (;;) {
    stream.s.next_out = out.get();
    stream.s.avail_out = kOutChunk;
    ret = lzma_code(&stream.s, LZMA_FINISH);
    std::size_t produced = kOutChunk - stream.s.avail_out;
    if (produced > 0 && !sink(out.get(), produced)) return LzmaResult::kSinkFailed;
    if (ret == LZMA_STREAM_END) {
      return stream.s.total_out == header.uncompressed_size ? LzmaResult::kOk : LzmaResult::kCorrupt;
    }
    if (ret != LZMA_OK) return FromLzmaRet(ret);
    // All input used, output space left, and still not at the end: the data ran out.
    if (stream.s.avail_in == 0 && stream.s.avail_out > 0) return LzmaResult::kTruncated;
  }
}

LzmaResult DecodeLzmaAloneToVector(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* out,
                                   std::uint64_t max_output) {
  out->clear();
  LzmaAloneHeader header;
  if (!ParseLzmaAloneHeader(data, size, &header)) return LzmaResult::kTruncated;
  if (header.uncompressed_size > max_output || header.uncompressed_size > kMaxStatedSize) {
    return LzmaResult::kUnsupported;
  }
  try {
    out->reserve(static_cast<std::size_t>(header.uncompressed_size));
  } catch (const std::bad_alloc&) {
    return LzmaResult::kNoMemory;
  }
  return DecodeLzmaAlone(data, size, [out](const std::uint8_t* p, std::size_t n) {
    out->insert(out->end(), p, p + n);
    return true;
  });
}

bool EncodeLzmaAlone(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* out,
                     bool with_end_marker) {
  out->clear();
  if (static_cast<std::uint64_t>(size) > kMaxStatedSize) return false;
  lzma_options_lzma opt;
  if (lzma_lzma_preset(&opt, 6)) return false;
  opt.dict_size = kEzpLzmaDictionary;
  opt.lc = 3;
  opt.lp = 0;
  opt.pb = 2;

  // Generous bound: LZMA grows incompressible data by well under 2 %.
  std::size_t bound = size + size / 16 + 4096;
  out->resize(kLzmaAloneHeaderSize + bound);
  std::uint8_t* header = out->data();
  header[0] = kEzpLzmaProperties;
  PutLe(header + 1, kEzpLzmaDictionary, 4);
  PutLe(header + 5, size, 8);

  LzmaStream stream;
  stream.s.next_in = data;
  stream.s.avail_in = size;
  stream.s.next_out = out->data() + kLzmaAloneHeaderSize;
  stream.s.avail_out = bound;
  if (with_end_marker) {
    // The raw LZMA1 encoder always ends its data with an end marker.
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_raw_encoder(&stream.s, filters) != LZMA_OK) return false;
    lzma_ret ret;
    do {
      ret = lzma_code(&stream.s, LZMA_FINISH);
    } while (ret == LZMA_OK && stream.s.avail_out > 0);
    if (ret != LZMA_STREAM_END) return false;
  } else {
    // MicroLZMA is raw LZMA1 without an end marker whose first byte, always 0 in LZMA1, carries the
    // inverted properties; putting the 0 back gives the plain LZMA1 data.
    if (lzma_microlzma_encoder(&stream.s, &opt) != LZMA_OK) return false;
    if (lzma_code(&stream.s, LZMA_FINISH) != LZMA_STREAM_END || stream.s.total_in != size) return false;
    out->at(kLzmaAloneHeaderSize) = 0;
  }
  out->resize(kLzmaAloneHeaderSize + static_cast<std::size_t>(stream.s.total_out));
  return true;
}

bool UnpackEzpResource(const void* bytes, std::uint32_t size, const std::string& target) {
  if (!EzpTruncateFile(target)) {
    std::printf("Open DesFile ERR:%s\n", target.c_str());
    std::fflush(stdout);
    return false;
  }
  EzpFileReplacer replacer;
  if (!replacer.Begin(target)) return false;
  LzmaResult result = DecodeLzmaAlone(static_cast<const std::uint8_t*>(bytes), size,
                                      [&replacer](const std::uint8_t* p, std::size_t n) { return replacer.Write(p, n); });
  if (result == LzmaResult::kSinkFailed) return false;
  if (result != LzmaResult::kOk) {
    std::printf("LzmaUncompress:%d\n", static_cast<int>(result));
    std::fflush(stdout);
    return false;
  }
  return replacer.Commit();
}
