#include "ezp_reader.h"

#include <cstring>
#include <memory>
#include <new>

#include "ezp_file.h"
#include "sm3.h"

namespace {

EzpExtractErrorHandler g_extract_error_handler = nullptr;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A component made only of dots and spaces: "..", and the forms Windows trims down to it.
bool IsDotsComponent(const std::string& s, std::size_t begin, std::size_t end) {
  if (begin == end) return false;
  bool any_dot = false;
  for (std::size_t i = begin; i < end; ++i) {
    if (s[i] == '.') any_dot = true;
    else if (s[i] != ' ') return false;
  }
  return any_dot;
}

}  // namespace

const char* DescribeEzpStatus(EzpStatus status) {
  switch (status) {
    case EzpStatus::kOk: return "ok";
    case EzpStatus::kNotIndexPath: return "not an index path (no \".ezpi\" in it)";
    case EzpStatus::kCannotOpen: return "cannot open the file";
    case EzpStatus::kBadBanner: return "not an EZP index (banner text missing)";
    case EzpStatus::kReadFailed: return "read error";
    case EzpStatus::kNotFound: return "no such entry";
    case EzpStatus::kEmptyEntry: return "entry of length 0";
    case EzpStatus::kBadPosition: return "offset or length out of range";
    case EzpStatus::kTooLarge: return "entry larger than the buffer";
    case EzpStatus::kShortRead: return "store ends before the entry does";
    case EzpStatus::kDigestMismatch: return "content does not match its SM3 digest";
    case EzpStatus::kNoMemory: return "out of memory";
    case EzpStatus::kCannotWrite: return "cannot write the target";
  }
  return "unknown";
}

EzpStatus LoadEzpIndexStatus(const std::string& path, EzpIndex& index) {
  if (path.find(".ezpi") == std::string::npos) return EzpStatus::kNotIndexPath;
  EzpInputFile file;
  if (!file.Open(path)) return EzpStatus::kCannotOpen;

  // The banner is compared as text: the block is cleared first, so a short file compares its bytes
  // up to the first NUL, and a banner without its NUL at offset 101 does not match.
  char header[kEzpHeaderSize] = {};
  std::size_t got = 0;
  while (got < kEzpHeaderSize) {
    std::size_t n = file.ReadSome(header + got, kEzpHeaderSize - got);
    if (n == 0) break;
    got += n;
  }
  if (std::strncmp(header, kEzpBanner, kEzpBannerLength + 1) != 0) return EzpStatus::kBadBanner;

  std::string store_path = path.substr(0, path.size() - 4) + "ezps";
  std::uint64_t size = 0;
  if (!file.Size(&size)) return EzpStatus::kReadFailed;
  std::uint64_t count = size < kEzpHeaderSize ? 0 : (size - kEzpHeaderSize) / kEzpRecordSize;

  // Records go into a copy first, so an index that fails part-way leaves the caller's index as it was.
  EzpIndex loaded = index;
  std::uint8_t record[kEzpRecordSize];
  if (count > 0 && !file.Seek(kEzpHeaderSize)) return EzpStatus::kReadFailed;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (!file.ReadExact(record, sizeof record)) return EzpStatus::kReadFailed;
    EzpRecord r = DecodeEzpRecord(record);
    EzpEntry& entry = loaded[r.name];
    entry.name = r.name;
    entry.storePath = store_path;
    entry.offset = static_cast<std::int32_t>(r.offset);
    entry.length = static_cast<std::int32_t>(r.length);
    entry.digest = r.digest;
    entry.scrambled = r.flag == kEzpFlagScrambled;
  }
  index.swap(loaded);
  return EzpStatus::kOk;
}

bool LoadEzpIndex(const std::string& path, EzpIndex& index) {
  return LoadEzpIndexStatus(path, index) == EzpStatus::kOk;
}

namespace {

// Opens the entry's store and checks, against the real size, that the content lies inside it: a
// record pointing past the end is refused before any memory is reserved or any byte read.
EzpStatus OpenEntryStore(const EzpEntry& entry, EzpInputFile* store) {
  // Offsets and lengths are signed 32-bit values: negative ones would seek before the store or ask
  // for a buffer of more than 2 GiB.
  if (entry.offset < 0 || entry.length < 0) return EzpStatus::kBadPosition;
  if (!store->Open(entry.storePath)) return EzpStatus::kCannotOpen;
  std::uint64_t store_size = 0;
  std::uint64_t end = static_cast<std::uint64_t>(entry.offset) + static_cast<std::uint64_t>(entry.length);
  if (!store->Size(&store_size) || end > store_size) return EzpStatus::kShortRead;
  if (!store->Seek(static_cast<std::uint64_t>(entry.offset))) return EzpStatus::kShortRead;
  return EzpStatus::kOk;
}

// Reads the content from the positioned store, closes it, unscrambles and verifies.
EzpStatus ReadVerified(const EzpEntry& entry, EzpInputFile& store, std::uint8_t* buffer) {
  std::size_t length = static_cast<std::size_t>(entry.length);
  if (!store.ReadExact(buffer, length)) return EzpStatus::kShortRead;
  store.Close();
  if (entry.scrambled) UnscrambleEzpBytes(buffer, length);
  Sm3Digest digest;
  if (!ComputeSm3(buffer, length, &digest) || digest != entry.digest) return EzpStatus::kDigestMismatch;
  return EzpStatus::kOk;
}

}  // namespace

EzpStatus ReadEzpEntryStatus(const std::string& name, std::uint8_t* buffer, const EzpIndex& index,
                             std::int32_t capacity) {
  auto it = index.find(name);
  if (it == index.end()) return EzpStatus::kNotFound;
  const EzpEntry& entry = it->second;
  if (entry.length > capacity) return EzpStatus::kTooLarge;
  EzpInputFile store;
  EzpStatus status = OpenEntryStore(entry, &store);
  if (status != EzpStatus::kOk) return status;
  return ReadVerified(entry, store, buffer);
}

bool ReadEzpEntry(const std::string& name, std::uint8_t* buffer, const EzpIndex& index, std::int32_t capacity) {
  return ReadEzpEntryStatus(name, buffer, index, capacity) == EzpStatus::kOk;
}

EzpStatus LoadEzpEntryContent(const std::string& name, const EzpIndex& index,
                              std::unique_ptr<std::uint8_t[]>* content) {
  auto it = index.find(name);
  if (it == index.end()) return EzpStatus::kNotFound;
  const EzpEntry& entry = it->second;
  EzpInputFile store;
  EzpStatus status = OpenEntryStore(entry, &store);
  if (status != EzpStatus::kOk) return status;
  // One spare byte: a buffer for an entry of length 0 is still a valid pointer.
  content->reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(entry.length) + 1]);
  if (!*content) return EzpStatus::kNoMemory;
  return ReadVerified(entry, store, content->get());
}

EzpStatus ExtractEzpEntryStatus(const std::string& name, const EzpIndex& index, const std::string& target,
                                bool* written) {
  if (written) *written = false;
  auto it = index.find(name);
  if (it == index.end()) return EzpStatus::kNotFound;
  if (it->second.length == 0) return EzpStatus::kEmptyEntry;
  std::unique_ptr<std::uint8_t[]> buffer;
  EzpStatus status = LoadEzpEntryContent(name, index, &buffer);
  if (status != EzpStatus::kOk) return status;
  std::size_t length = static_cast<std::size_t>(it->second.length);

  if (EzpFileHoldsExactly(target, buffer.get(), length)) return EzpStatus::kOk;

  EzpFileReplacer replacer;
  if (!replacer.Begin(target) || !replacer.Write(buffer.get(), length) || !replacer.Commit()) {
    return EzpStatus::kCannotWrite;
  }
  if (written) *written = true;
  return EzpStatus::kOk;
}

bool IsEzpContentError(EzpStatus status) {
  switch (status) {
    case EzpStatus::kCannotOpen:
    case EzpStatus::kShortRead:
    case EzpStatus::kDigestMismatch:
    case EzpStatus::kBadPosition:
    case EzpStatus::kNoMemory:
      return true;
    default:
      return false;
  }
}

void ReportEzpExtractError(const std::string& entryName) {
  if (g_extract_error_handler) g_extract_error_handler(entryName);
  else ShowEzpExtractError(entryName);
}

bool ExtractEzpEntry(const std::string& name, const EzpIndex& index, const std::string& target) {
  EzpStatus status = ExtractEzpEntryStatus(name, index, target);
  // Bad content: say so, and let the caller ask whether to retry.
  if (IsEzpContentError(status)) ReportEzpExtractError(name);
  return status == EzpStatus::kOk;
}

EzpExtractErrorHandler SetEzpExtractErrorHandler(EzpExtractErrorHandler handler) {
  EzpExtractErrorHandler previous = g_extract_error_handler;
  g_extract_error_handler = handler;
  return previous;
}

bool JoinEzpEntryPath(const std::string& folder, const std::string& name, std::string* path) {
  if (name.size() < 2 || IsSeparator(name[1])) return false;
  if (name.find(':') != std::string::npos) return false;
  std::size_t begin = 1;
  for (std::size_t i = 1; i <= name.size(); ++i) {
    if (i == name.size() || IsSeparator(name[i])) {
      if (IsDotsComponent(name, begin, i)) return false;
      begin = i + 1;
    }
  }
  *path = folder + name.substr(1);
  return true;
}
