#include "payload_gen.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kFiles = 85;
constexpr std::size_t kTotal = 17'700'000;

struct Rng {
  std::uint64_t s;
  std::uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<std::uint32_t>(s >> 11);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
};

// Machine code: instructions drawn from a skewed vocabulary of opcode patterns, with operands that
// are mostly small displacements or addresses inside the module.
void AppendCode(Rng& rng, const std::vector<std::vector<std::uint8_t>>& vocab, std::size_t n, std::vector<std::uint8_t>* out) {
  std::size_t start = out->size();
  std::size_t end = start + n;
  while (out->size() < end) {
    // Idioms repeat: prologues, call sequences, error paths; copy a run seen earlier.
    if (out->size() - start > 256 && rng.Below(100) < 25) {
      std::size_t len = 8 + rng.Below(56);
      std::size_t from = start + rng.Below(static_cast<std::uint32_t>(out->size() - start - len));
      for (std::size_t i = 0; i < len; ++i) out->push_back((*out)[from + i]);
      continue;
    }
    std::uint32_t r = rng.Below(1000);
    std::size_t pick = r < 600 ? rng.Below(24) : r < 900 ? rng.Below(120) : rng.Below(static_cast<std::uint32_t>(vocab.size()));
    const auto& ins = vocab[pick];
    out->insert(out->end(), ins.begin(), ins.end());
    std::uint32_t kind = rng.Below(10);
    if (kind < 3) {
      out->push_back(static_cast<std::uint8_t>(rng.Below(64) * 4));  // small stack displacement
    } else if (kind < 5) {
      std::uint32_t addr = 0x10001000u + rng.Below(0x40000) * 4;  // address inside the image
      for (int i = 0; i < 4; ++i) out->push_back(static_cast<std::uint8_t>(addr >> (8 * i)));
    } else if (kind < 6) {
      std::uint32_t imm = rng.Next();
      for (int i = 0; i < 4; ++i) out->push_back(static_cast<std::uint8_t>(imm >> (8 * i)));
    }
  }
  out->resize(end);
}

// Tables, strings and padding.
void AppendData(Rng& rng, std::size_t n, std::vector<std::uint8_t>* out) {
  static const char* const kWords[] = {"Certificate", "Provider", "Container", "Signature", "Zeva", "Vantor",
                                       "KeyUsage", "Issuer", "Subject", "Serial", "Token", "Reader", "Slot",
                                       "Error", "Invalid", "Password", "Export", "Import", "Device", "Driver"};
  std::size_t end = out->size() + n;
  while (out->size() < end) {
    switch (rng.Below(4)) {
      case 0: {  // UTF-16 string
        const char* w = kWords[rng.Below(20)];
        for (const char* p = w; *p; ++p) {
          out->push_back(static_cast<std::uint8_t>(*p));
          out->push_back(0);
        }
        out->push_back(0);
        out->push_back(0);
        break;
      }
      case 1: {  // pointer table
        std::uint32_t base = 0x10040000u + rng.Below(0x1000) * 16;
        for (int k = 0; k < 8; ++k) {
          std::uint32_t v = base + static_cast<std::uint32_t>(k) * 16;
          for (int i = 0; i < 4; ++i) out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
        break;
      }
      case 2:  // alignment padding
        out->insert(out->end(), 16 + rng.Below(200), 0);
        break;
      default: {  // ASCII message
        const char* w = kWords[rng.Below(20)];
        out->insert(out->end(), w, w + std::strlen(w));
        out->push_back(' ');
        break;
      }
    }
  }
  out->resize(end);
}

// Already-compressed material (icons, images, embedded archives).
void AppendNoise(Rng& rng, std::size_t n, std::vector<std::uint8_t>* out) {
  for (std::size_t i = 0; i < n; ++i) out->push_back(static_cast<std::uint8_t>(rng.Next()));
}

}  // namespace

std::vector<GeneratedFile> GenerateSuitePayload() {
  Rng rng{0x5EED5EED12345678ull};
  std::vector<std::vector<std::uint8_t>> vocab(400);
  for (auto& ins : vocab) {
    ins.resize(1 + rng.Below(4));
    for (auto& b : ins) b = static_cast<std::uint8_t>(rng.Next());
  }

  // Sizes: weights from a steep curve, scaled to the total; the largest files are a few MB.
  std::vector<double> weights(kFiles);
  double sum = 0;
  for (std::size_t i = 0; i < kFiles; ++i) {
    weights[i] = 1.0 / ((i + 1.0) * (i + 1.0) * 0.08 + 1.0) + 0.004 * rng.Below(5);
    sum += weights[i];
  }
  std::vector<GeneratedFile> files(kFiles);
  std::size_t assigned = 0;
  for (std::size_t i = 0; i < kFiles; ++i) {
    std::size_t size = i + 1 == kFiles ? kTotal - assigned : static_cast<std::size_t>(kTotal * weights[i] / sum);
    if (size == 0) size = 1;
    assigned += size;
    static const char* const kFolders[] = {"", "\\plugins", "\\drivers\\x86", "\\drivers\\x64", "\\证书工具"};
    static const char* const kExt[] = {".dll", ".exe", ".sys", ".dat", ".ocx"};
    files[i].name = std::string(kFolders[i % 5]) + "\\module" + std::to_string(i) + kExt[(i / 5) % 5];
    auto& c = files[i].content;
    c.reserve(size);
    // Header, then code, data and noise sections in program-like proportions.
    AppendData(rng, std::min<std::size_t>(size, 1024), &c);
    while (c.size() < size) {
      std::size_t left = size - c.size();
      std::size_t chunk = std::min<std::size_t>(left, 4096 + rng.Below(60000));
      std::uint32_t r = rng.Below(100);
      if (r < 60) AppendCode(rng, vocab, chunk, &c);
      else if (r < 95) AppendData(rng, chunk, &c);
      else AppendNoise(rng, chunk, &c);
    }
  }
#ifdef _WIN32
  // Names are narrow literals: code page 936 in this flavour, as entry names must be.
#else
  // Entry names must be code page 936: "\证书工具" is written as its bytes.
  for (auto& f : files) {
    const std::string utf8 = "\\证书工具";
    if (f.name.rfind(utf8, 0) == 0) f.name = "\\\xd6\xa4\xca\xe9\xb9\xa4\xbe\xdf" + f.name.substr(utf8.size());
  }
#endif
  return files;
}
