// Loading package indexes and reading and extracting verified entries.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "ezp_format.h"

// One entry of a loaded index.
struct EzpEntry {
  std::string name;       // code page 936, the same text as the entry's key
  std::string storePath;  // the index path with its last four characters replaced by "ezps"
  std::int32_t offset = 0;
  std::int32_t length = 0;
  EzpDigest digest{};
  bool scrambled = false;
};

// Entries by name, in ascending unsigned byte order of the names (std::string compares as memcmp
// does), which is also the order a package is deployed in.
using EzpIndex = std::map<std::string, EzpEntry>;

// Why an index was refused or an entry could not be read; the tool and the tests tell them apart,
// the installer only needs the yes or no of the functions below.
enum class EzpStatus {
  kOk,
  kNotIndexPath,      // the path holds no ".ezpi"
  kCannotOpen,        // the index or store file cannot be opened
  kBadBanner,         // the index does not begin with the banner text and its NUL
  kReadFailed,        // reading the index failed part-way
  kNotFound,          // no entry of that name
  kEmptyEntry,        // length 0: such an entry is never extracted
  kBadPosition,       // offset or length negative as signed 32-bit values
  kTooLarge,          // the entry is larger than the caller's buffer
  kShortRead,         // the store ends before offset + length
  kDigestMismatch,    // the content does not reproduce its SM3 digest
  kNoMemory,
  kCannotWrite,       // the target cannot be created or replaced
};
const char* DescribeEzpStatus(EzpStatus status);

// Adds the records of the index at path to index; a record replaces an entry of the same name.
[[nodiscard]] bool LoadEzpIndex(const std::string& path, EzpIndex& index);
EzpStatus LoadEzpIndexStatus(const std::string& path, EzpIndex& index);

// Reads the entry's content into buffer (capacity bytes), unscrambles it and checks its digest.
// True only when the buffer holds the verified plain content.
[[nodiscard]] bool ReadEzpEntry(const std::string& name, std::uint8_t* buffer, const EzpIndex& index,
                                std::int32_t capacity);
EzpStatus ReadEzpEntryStatus(const std::string& name, std::uint8_t* buffer, const EzpIndex& index,
                             std::int32_t capacity);

// Reads and verifies the entry's content into a buffer of its own length. The buffer is reserved
// only after the store was found to hold offset + length bytes, so a damaged record cannot make the
// reader reserve memory that the store does not back.
EzpStatus LoadEzpEntryContent(const std::string& name, const EzpIndex& index,
                              std::unique_ptr<std::uint8_t[]>* content);

// Makes target hold the entry's content. A target that already holds exactly those bytes is left as
// it is, times and attributes included. Otherwise the verified content is written beside the target
// and replaces it in one step, so the target is never half-written. Content that cannot be read or
// fails its digest never reaches the target: the extract-error box names the entry and the result is
// false. False also when the target cannot be replaced (it is then exactly as before).
[[nodiscard]] bool ExtractEzpEntry(const std::string& name, const EzpIndex& index, const std::string& target);
// As above without the box; the result says what went wrong. kOk when written or already identical.
EzpStatus ExtractEzpEntryStatus(const std::string& name, const EzpIndex& index, const std::string& target,
                                bool* written = nullptr);

// The box that ExtractEzpEntry shows when an entry's content is bad: MessageBoxA with no owner, the
// entry name as text and the caption "EZP解压错误!" on Windows; a line on stderr elsewhere. Tests
// and tools install their own handler; passing nullptr restores the default. Returns the previous one.
using EzpExtractErrorHandler = void (*)(const std::string& entryName);
EzpExtractErrorHandler SetEzpExtractErrorHandler(EzpExtractErrorHandler handler);
void ShowEzpExtractError(const std::string& entryName);  // the platform's default
// Shows the box through the installed handler (or the default).
void ReportEzpExtractError(const std::string& entryName);
// True for the statuses after which ExtractEzpEntry shows the box: the package's bytes could not be
// had (store missing or short, digest wrong, position out of range, no memory).
bool IsEzpContentError(EzpStatus status);

// Joins a destination folder and an entry name the way the deployment does: the name's first
// character (its leading separator) is dropped and the rest appended. Refuses, returning false, a
// name whose rest is empty, begins with a separator, holds a ":" (a drive letter or a stream name) or
// has a ".." component, so that no entry can be written outside the folder. Both "\" and "/" count
// as separators; the test goes byte by byte, which errs on the side of refusing.
[[nodiscard]] bool JoinEzpEntryPath(const std::string& folder, const std::string& name, std::string* path);
