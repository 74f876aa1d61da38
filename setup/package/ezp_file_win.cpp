#include "ezp_file.h"

#include <windows.h>

#include <io.h>

namespace {

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::intptr_t I(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

// Folder part of a path for GetTempFileNameA; both separators count. The scan goes byte by byte:
// a trail byte of code page 936 can be 0x5C, so IsDBCSLeadByte skips the second byte of a pair.
std::string FolderOf(const std::string& path) {
  std::string::size_type last = std::string::npos;
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') last = i;
  }
  if (last == std::string::npos) return ".";
  return path.substr(0, last + 1);
}

}  // namespace

bool EzpInputFile::Open(const std::string& path) {
  Close();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = I(h);
  return true;
}

void EzpInputFile::Close() {
  if (handle_ != kEmpty) CloseHandle(H(handle_));
  handle_ = kEmpty;
}

bool EzpInputFile::Size(std::uint64_t* size) const {
  LARGE_INTEGER li;
  if (handle_ == kEmpty || !GetFileSizeEx(H(handle_), &li)) return false;
  *size = static_cast<std::uint64_t>(li.QuadPart);
  return true;
}

bool EzpInputFile::Seek(std::uint64_t offset) {
  if (handle_ == kEmpty || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
  LARGE_INTEGER li;
  li.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(H(handle_), li, nullptr, FILE_BEGIN) != 0;
}

std::size_t EzpInputFile::ReadSome(void* buffer, std::size_t count) {
  if (handle_ == kEmpty) return 0;
  DWORD want = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
  DWORD got = 0;
  if (!ReadFile(H(handle_), buffer, want, &got, nullptr)) return 0;
  return got;
}

bool EzpFileReplacer::Begin(const std::string& target) {
  Abandon();
  char temp[MAX_PATH];
  // Creates an empty file with a unique name in the target's folder, so the final move stays on one
  // volume and is a rename.
  if (!GetTempFileNameA(FolderOf(target).c_str(), "ezp", 0, temp)) return false;
  temp_ = temp;
  HANDLE h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Abandon();
    return false;
  }
  handle_ = I(h);
  target_ = target;
  return true;
}

bool EzpFileReplacer::Write(const void* data, std::size_t count) {
  if (handle_ == kEmpty) return false;
  const auto* p = static_cast<const unsigned char*>(data);
  while (count > 0) {
    DWORD want = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    DWORD put = 0;
    if (!WriteFile(H(handle_), p, want, &put, nullptr) || put == 0) return false;
    p += put;
    count -= put;
  }
  return true;
}

bool EzpFileReplacer::Commit() {
  if (handle_ == kEmpty) return false;
  bool ok = CloseHandle(H(handle_)) != 0;
  handle_ = kEmpty;
  // A read-only target is refused here rather than left to the rename, which Windows refuses but
  // Wine carries out; the move itself fails on a folder and on a program or library that is running.
  DWORD attributes = GetFileAttributesA(target_.c_str());
  if (ok && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    ok = false;
  }
  if (ok) ok = MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) {
    DWORD error = GetLastError();
    DeleteFileA(temp_.c_str());
    SetLastError(error);
  }
  temp_.clear();
  return ok;
}

void EzpFileReplacer::Abandon() {
  if (handle_ != kEmpty) {
    CloseHandle(H(handle_));
    handle_ = kEmpty;
  }
  if (!temp_.empty()) {
    DeleteFileA(temp_.c_str());
    temp_.clear();
  }
}

bool EzpTruncateFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  return CloseHandle(h) != 0;
}

bool EzpStderrIsTerminal() { return _isatty(2) != 0; }
