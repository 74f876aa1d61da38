// ezp: makes, lists, checks and unpacks EZP packages, and packs files into LZMA-alone streams.
// Every failure is one line on stderr naming the file and the reason, and a nonzero exit.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "ezp_file.h"
#include "ezp_format.h"
#include "ezp_lzma.h"
#include "ezp_packer.h"
#include "ezp_reader.h"
#include "tool_text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: ezp pack [--plain] SRC_DIR OUT_PREFIX   write OUT_PREFIX.ezpi and OUT_PREFIX.ezps\n"
    "       ezp list INDEX                          name, length, offset, flag, SM3 of each entry\n"
    "       ezp verify INDEX                        check every entry against its digest\n"
    "       ezp extract INDEX DEST_DIR              write every entry below DEST_DIR\n"
    "       ezp compress FILE OUT                   one LZMA-alone stream (0x5D, 16 MiB, real size)\n"
    "       ezp decompress IN OUT                   the file an LZMA-alone stream holds\n";

int Fail(const std::string& what, const std::string& why) {
  std::fprintf(stderr, "ezp: %s: %s\n", what.c_str(), why.c_str());
  return kExitFailed;
}

// "i/n" on one line of stderr, redrawn in place; only when stderr is a terminal.
class Progress {
 public:
  Progress(const char* verb, std::size_t total) : verb_(verb), total_(total), shown_(EzpStderrIsTerminal()) {}
  ~Progress() {
    if (shown_ && drawn_) std::fprintf(stderr, "\r%*s\r", 40, "");
  }
  void Step(std::size_t done) {
    if (!shown_) return;
    std::fprintf(stderr, "\r%s %zu/%zu", verb_, done, total_);
    std::fflush(stderr);
    drawn_ = true;
  }

 private:
  const char* verb_;
  std::size_t total_;
  bool shown_;
  bool drawn_ = false;
};

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>* data, std::string* why) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    *why = "is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = "cannot open";
    return false;
  }
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0) {
    *why = "cannot read";
    return false;
  }
  data->resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(data->data()), size)) {
    *why = "read error";
    return false;
  }
  return true;
}

// Writes data to path in one step (beside it first, then in its place).
bool WriteWholeFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::string* why) {
  std::string narrow;
  if (!PathToNarrow(path, &narrow)) {
    *why = "the path cannot be written in this code page";
    return false;
  }
  EzpFileReplacer out;
  if (!out.Begin(narrow) || !out.Write(data, size) || !out.Commit()) {
    *why = "cannot write";
    return false;
  }
  return true;
}

bool NarrowPath(const fs::path& path, std::string* narrow) {
  if (PathToNarrow(path, narrow)) return true;
  Fail(PathForDisplay(path), "the path cannot be used in this code page");
  return false;
}

struct SourceFile {
  std::string name;  // entry name: "\" + relative path, code page 936
  fs::path path;
};

bool ListSourceTree(const fs::path& root, std::vector<SourceFile>* files) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    Fail(PathForDisplay(root), "not a folder");
    return false;
  }
  fs::recursive_directory_iterator it(root, fs::directory_options::none, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& e = *it;
    if (e.is_directory(ec)) continue;
    if (!e.is_regular_file(ec)) {
      Fail(PathForDisplay(e.path()), "not a regular file");
      return false;
    }
    std::string name;
    if (!PathToCp936(e.path().lexically_relative(root), &name)) {
      Fail(PathForDisplay(e.path()), "the name has a character that code page 936 cannot hold");
      return false;
    }
    files->push_back({"\\" + name, e.path()});
  }
  if (ec) {
    Fail(PathForDisplay(root), ec.message());
    return false;
  }
  std::sort(files->begin(), files->end(), [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
  return true;
}

int Pack(const std::vector<std::string>& args) {
  bool plain = false;
  std::vector<std::string> rest;
  for (const std::string& a : args) {
    if (a == "--plain") plain = true;
    else rest.push_back(a);
  }
  if (rest.size() != 2) return std::fputs(kUsage, stderr), kExitUsage;
  fs::path root = PathFromArg(rest[0]);
  std::string prefix = rest[1];
  std::vector<SourceFile> files;
  if (!ListSourceTree(root, &files)) return kExitFailed;
  std::string index_path, store_path;
  if (!NarrowPath(PathFromArg(prefix + ".ezpi"), &index_path) || !NarrowPath(PathFromArg(prefix + ".ezps"), &store_path)) {
    return kExitFailed;
  }

  EzpPackWriter writer(!plain);
  std::string error;
  if (!writer.Begin(index_path, store_path, &error)) return Fail(prefix, error);
  Progress progress("pack", files.size());
  std::vector<std::uint8_t> content;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const SourceFile& f = files[i];
    std::string why;
    if (!ReadWholeFile(f.path, &content, &why)) return Fail(PathForDisplay(f.path), why);
    if (content.empty()) {
      return Fail(PathForDisplay(f.path), "empty file: the installer never writes an entry of length 0");
    }
    if (!writer.Add(f.name, content.data(), content.size(), &error)) return Fail(PathForDisplay(f.path), error);
    progress.Step(i + 1);
  }
  if (!writer.Finish(&error)) return Fail(prefix, error);
  return kExitOk;
}

// The records as the file holds them, later ones replacing earlier ones of the same name, so that
// the listing shows the raw flag byte of each entry.
bool ReadRecords(const std::string& index_path, std::map<std::string, EzpRecord>* records) {
  EzpInputFile file;
  std::uint64_t size = 0;
  if (!file.Open(index_path) || !file.Size(&size) || size < kEzpHeaderSize || !file.Seek(kEzpHeaderSize)) return false;
  std::uint8_t raw[kEzpRecordSize];
  for (std::uint64_t i = 0; i < (size - kEzpHeaderSize) / kEzpRecordSize; ++i) {
    if (!file.ReadExact(raw, sizeof raw)) return false;
    EzpRecord r = DecodeEzpRecord(raw);
    (*records)[r.name] = r;
  }
  return true;
}

bool LoadIndexArg(const std::string& arg, EzpIndex* index, std::string* narrow) {
  if (!NarrowPath(PathFromArg(arg), narrow)) return false;
  EzpStatus status = LoadEzpIndexStatus(*narrow, *index);
  if (status != EzpStatus::kOk) {
    Fail(arg, DescribeEzpStatus(status));
    return false;
  }
  return true;
}

int List(const std::vector<std::string>& args) {
  if (args.size() != 1) return std::fputs(kUsage, stderr), kExitUsage;
  EzpIndex index;
  std::string path;
  if (!LoadIndexArg(args[0], &index, &path)) return kExitFailed;
  std::map<std::string, EzpRecord> records;
  if (!ReadRecords(path, &records)) return Fail(args[0], "read error");
  for (const auto& [name, r] : records) {
    char hex[2 * kEzpDigestSize + 1];
    for (std::size_t i = 0; i < kEzpDigestSize; ++i) std::snprintf(hex + 2 * i, 3, "%02x", r.digest[i]);
    std::printf("%s\t%u\t%u\t%u\t%s\n", Cp936ToUtf8(name).c_str(), r.length, r.offset, r.flag, hex);
  }
  return kExitOk;
}

int Verify(const std::vector<std::string>& args) {
  if (args.size() != 1) return std::fputs(kUsage, stderr), kExitUsage;
  EzpIndex index;
  std::string path;
  if (!LoadIndexArg(args[0], &index, &path)) return kExitFailed;
  std::size_t bad = 0, done = 0;
  Progress progress("verify", index.size());
  for (const auto& [name, entry] : index) {
    std::unique_ptr<std::uint8_t[]> content;
    EzpStatus status = LoadEzpEntryContent(name, index, &content);
    if (status != EzpStatus::kOk) {
      ++bad;
      Fail(Cp936ToUtf8(name), DescribeEzpStatus(status));
    }
    progress.Step(++done);
  }
  std::printf("%zu entries, %zu bad\n", index.size(), bad);
  return bad == 0 ? kExitOk : kExitFailed;
}

int Extract(const std::vector<std::string>& args) {
  if (args.size() != 2) return std::fputs(kUsage, stderr), kExitUsage;
  EzpIndex index;
  std::string path;
  if (!LoadIndexArg(args[0], &index, &path)) return kExitFailed;
  fs::path dest = PathFromArg(args[1]);
  std::error_code ec;
  fs::create_directories(dest, ec);
  if (ec || !fs::is_directory(dest, ec)) return Fail(args[1], "cannot create the destination folder");
  std::size_t written = 0, unchanged = 0, failed = 0, done = 0;
  Progress progress("extract", index.size());
  for (const auto& [name, entry] : index) {
    progress.Step(++done);
    std::string shown = Cp936ToUtf8(name);
    std::string relative;
    fs::path relative_path;
    if (!JoinEzpEntryPath("", name, &relative) || !Cp936ToPath(relative, &relative_path)) {
      ++failed;
      Fail(shown, "refused: the name would leave the destination folder or is not code page 936");
      continue;
    }
    fs::path target = dest / relative_path;
    fs::create_directories(target.parent_path(), ec);
    if (ec) {
      ++failed;
      Fail(PathForDisplay(target.parent_path()), "cannot create the folder: " + ec.message());
      continue;
    }
    std::string narrow;
    if (!NarrowPath(target, &narrow)) {
      ++failed;
      continue;
    }
    bool was_written = false;
    EzpStatus status = ExtractEzpEntryStatus(name, index, narrow, &was_written);
    if (status != EzpStatus::kOk) {
      ++failed;
      Fail(shown, DescribeEzpStatus(status));
    } else if (was_written) {
      ++written;
    } else {
      ++unchanged;
    }
  }
  std::printf("%zu written, %zu unchanged, %zu failed\n", written, unchanged, failed);
  return failed == 0 ? kExitOk : kExitFailed;
}

int Compress(const std::vector<std::string>& args) {
  if (args.size() != 2) return std::fputs(kUsage, stderr), kExitUsage;
  std::vector<std::uint8_t> data, packed;
  std::string why;
  if (!ReadWholeFile(PathFromArg(args[0]), &data, &why)) return Fail(args[0], why);
  constexpr std::uint64_t kMaxStreamSize = 0xFFFFFFFF;
  if (static_cast<std::uint64_t>(data.size()) > kMaxStreamSize) return Fail(args[0], "4 GiB or larger");
  if (EzpStderrIsTerminal()) std::fprintf(stderr, "compressing %zu bytes...\r", data.size());
  bool ok = EncodeLzmaAlone(data.data(), data.size(), &packed);
  if (EzpStderrIsTerminal()) std::fprintf(stderr, "%*s\r", 40, "");
  if (!ok) return Fail(args[0], "compression failed");
  if (!WriteWholeFile(PathFromArg(args[1]), packed.data(), packed.size(), &why)) return Fail(args[1], why);
  return kExitOk;
}

const char* DescribeLzma(LzmaResult r) {
  switch (r) {
    case LzmaResult::kCorrupt: return "LZMA data is corrupt (1)";
    case LzmaResult::kNoMemory: return "not enough memory to decode (2)";
    case LzmaResult::kUnsupported: return "unsupported LZMA properties or size (4)";
    case LzmaResult::kTruncated: return "LZMA data ends early (6)";
    default: return "cannot decode";
  }
}

int Decompress(const std::vector<std::string>& args) {
  if (args.size() != 2) return std::fputs(kUsage, stderr), kExitUsage;
  std::vector<std::uint8_t> data;
  std::string why, out_path;
  if (!ReadWholeFile(PathFromArg(args[0]), &data, &why)) return Fail(args[0], why);
  if (!NarrowPath(PathFromArg(args[1]), &out_path)) return kExitFailed;
  EzpFileReplacer out;
  if (!out.Begin(out_path)) return Fail(args[1], "cannot write");
  LzmaResult r = DecodeLzmaAlone(data.data(), data.size(),
                                 [&out](const std::uint8_t* p, std::size_t n) { return out.Write(p, n); });
  if (r == LzmaResult::kSinkFailed) return Fail(args[1], "write error");
  if (r != LzmaResult::kOk) return Fail(args[0], DescribeLzma(r));
  if (!out.Commit()) return Fail(args[1], "cannot write");
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args = Utf8Args(argc, argv);
  if (args.size() < 2) return std::fputs(kUsage, stderr), kExitUsage;
  // The tool reports bad entries itself; the installer's box has no place here.
  SetEzpExtractErrorHandler([](const std::string&) {});
  std::string command = args[1];
  std::vector<std::string> rest(args.begin() + 2, args.end());
  try {
    if (command == "pack") return Pack(rest);
    if (command == "list") return List(rest);
    if (command == "verify") return Verify(rest);
    if (command == "extract") return Extract(rest);
    if (command == "compress") return Compress(rest);
    if (command == "decompress") return Decompress(rest);
  } catch (const std::bad_alloc&) {
    return Fail(command, "out of memory");
  } catch (const std::exception& e) {
    return Fail(command, e.what());
  }
  std::fputs(kUsage, stderr);
  return kExitUsage;
}
