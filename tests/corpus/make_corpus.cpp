// Writes the package corpus into the folder given as its argument. The files are committed; run this
// only to change them (and then describe every file in README.md).
#include <cstdio>
#include <cstring>
#include <string>

#include "ezp_lzma.h"
#include "test_support.h"

using namespace testing_support;

namespace {

fs::path g_dir;

HandRecord At(HandRecord r, std::uint32_t offset, std::uint32_t length) {
  r.keep_position = true;
  r.offset = offset;
  r.length = length;
  return r;
}

void Package(const std::string& stem, const HandPackage& p) { WritePackage(g_dir, stem, p); }

void Lzma(const std::string& name, Bytes stream) { WriteBytes(g_dir / name, stream); }

Bytes Encode(const Bytes& data, bool end_marker) {
  Bytes out;
  if (!EncodeLzmaAlone(data.data(), data.size(), &out, end_marker)) std::abort();
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: make_corpus DIR\n"), 2;
  g_dir = argv[1];

  Package("good-empty", BuildPackage({}));

  // Flags 1, 0 and 2, a code page 936 name, and a store whose first record's content lies last,
  // behind a 16-byte gap.
  HandPackage rest = BuildPackage({Rec("\\plain.txt", BytesOf("plain"), 0), Rec("\\flag2.bin", MakeContent(40, 2), 2),
                                   Rec("\\\xca\xfd\xd7\xd6\\\xd6\xa4\xca\xe9.dll", MakeContent(300, 3))});
  auto behind = static_cast<std::uint32_t>(rest.store.size() + 16);
  HandPackage first = BuildPackage({At(Rec("\\setup.exe", MakeContent(700, 1)), behind, 700)});
  HandPackage mixed = first;
  mixed.index.insert(mixed.index.end(), rest.index.begin() + kEzpHeaderSize, rest.index.end());
  mixed.store = rest.store;
  mixed.store.insert(mixed.store.end(), 16, 0xEE);
  mixed.store.insert(mixed.store.end(), first.store.begin(), first.store.end());
  Package("good-mixed", mixed);

  HandPackage trailing = BuildPackage({Rec("\\a", BytesOf("a")), Rec("\\b", BytesOf("bb"))});
  trailing.index.insert(trailing.index.end(), 100, 0x33);
  Package("good-trailing", trailing);

  // The first record of the name is damaged; the second, which replaces it, is sound.
  HandRecord damaged = Rec("\\twice.dll", BytesOf("old"));
  damaged.bad_digest = true;
  Package("good-duplicate", BuildPackage({damaged, Rec("\\twice.dll", BytesOf("new content"))}));

  HandPackage banner = BuildPackage({Rec("\\a", BytesOf("a"))});
  banner.index[kEzpBannerLength] = ' ';
  Package("bad-banner-nul", banner);

  HandPackage digest = BuildPackage({Rec("\\ok", BytesOf("fine")), Rec("\\flipped.dll", MakeContent(200, 4))});
  digest.store[100] ^= 0x01;
  Package("bad-digest", digest);

  HandPackage short_store = BuildPackage({Rec("\\cut.dll", MakeContent(500, 5))});
  short_store.store.resize(250);
  Package("bad-short-store", short_store);

  Package("bad-negative-offset", BuildPackage({At(Rec("\\neg", BytesOf("abc")), 0xFFFFFF00u, 3)}));
  Package("bad-negative-length", BuildPackage({At(Rec("\\neg", BytesOf("abc")), 0, 0xFFFFFFFDu)}));
  Package("bad-huge-length", BuildPackage({At(Rec("\\huge", BytesOf("abc")), 0, 0x7FFFFFFFu)}));
  Package("bad-escape", BuildPackage({Rec("\\..\\..\\evil.dll", BytesOf("evil"))}));
  WriteBytes(g_dir / "bad-garbage.ezpi", MakeContent(2000, 6));

  Bytes data = MakeContent(20000, 7);
  Bytes plain = Encode(data, false);
  Lzma("good-plain.lzma", plain);
  Lzma("good-endmarker.lzma", Encode(data, true));
  Lzma("good-empty.lzma", Encode({}, false));
  Lzma("bad-truncated.lzma", Bytes(plain.begin(), plain.begin() + static_cast<long>(plain.size() / 2)));
  Lzma("bad-header-only.lzma", Bytes(plain.begin(), plain.begin() + 13));
  Bytes props = plain;
  props[0] = 0xE1;
  Lzma("bad-properties.lzma", props);
  Bytes unknown = plain;
  std::memset(&unknown[5], 0xFF, 8);
  Lzma("bad-unknown-size.lzma", unknown);
  Bytes corrupt = plain;
  corrupt[13] = 0x42;
  Lzma("bad-corrupt.lzma", corrupt);
  return 0;
}
