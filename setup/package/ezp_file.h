// The file operations of the package store, one implementation per platform (ezp_file_posix.cpp,
// ezp_file_win.cpp). Paths are narrow strings: code page 936 on Windows, where the calls are the
// narrow-character ones, and the native encoding elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file opened for reading; closed by the destructor.
class EzpInputFile {
 public:
  EzpInputFile() = default;
  ~EzpInputFile() { Close(); }
  EzpInputFile(const EzpInputFile&) = delete;
  EzpInputFile& operator=(const EzpInputFile&) = delete;

  [[nodiscard]] bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return handle_ != kEmpty; }
  [[nodiscard]] bool Size(std::uint64_t* size) const;
  [[nodiscard]] bool Seek(std::uint64_t offset);
  // Reads up to count bytes at the current position; returns how many were read (0 at the end or on
  // an error).
  std::size_t ReadSome(void* buffer, std::size_t count);
  // Reads exactly count bytes; a short read is a failure.
  [[nodiscard]] bool ReadExact(void* buffer, std::size_t count);

 private:
  // A file descriptor, or a HANDLE on Windows; -1 is empty on both (INVALID_HANDLE_VALUE).
  static constexpr std::intptr_t kEmpty = -1;
  std::intptr_t handle_ = kEmpty;
};

// Writes a new file beside target and puts it in the target's place in one step on Commit. Until then
// the target is untouched; a replacer destroyed without Commit removes what it wrote. Commit fails,
// leaving the target as it was, when the target cannot be replaced: it is read-only, a folder, or
// (on Windows) a program or library in use.
class EzpFileReplacer {
 public:
  EzpFileReplacer() = default;
  ~EzpFileReplacer() { Abandon(); }
  EzpFileReplacer(const EzpFileReplacer&) = delete;
  EzpFileReplacer& operator=(const EzpFileReplacer&) = delete;

  // Creates the new file in the target's folder; fails when the folder is missing or not writable.
  [[nodiscard]] bool Begin(const std::string& target);
  [[nodiscard]] bool Write(const void* data, std::size_t count);
  [[nodiscard]] bool Commit();
  void Abandon();

 private:
  static constexpr std::intptr_t kEmpty = -1;
  std::intptr_t handle_ = kEmpty;
  std::string target_;
  std::string temp_;
};

// True when the file at path holds exactly these length bytes. Compares in pieces, so a file of the
// right size that differs early costs little and no second whole buffer is needed.
bool EzpFileHoldsExactly(const std::string& path, const std::uint8_t* content, std::size_t length);

// Creates path as an empty file, or cuts an existing one to length 0.
[[nodiscard]] bool EzpTruncateFile(const std::string& path);

// True when stderr is a terminal (progress lines are only drawn there).
bool EzpStderrIsTerminal();
