#include "ezp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace {

int Fd(std::intptr_t h) { return static_cast<int>(h); }

std::string FolderOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

bool EzpInputFile::Open(const std::string& path) {
  Close();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // a folder opens on POSIX, not on Windows
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void EzpInputFile::Close() {
  if (handle_ != kEmpty) ::close(Fd(handle_));
  handle_ = kEmpty;
}

bool EzpInputFile::Size(std::uint64_t* size) const {
  struct stat st;
  if (handle_ == kEmpty || ::fstat(Fd(handle_), &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool EzpInputFile::Seek(std::uint64_t offset) {
  if (handle_ == kEmpty || offset > static_cast<std::uint64_t>(LLONG_MAX)) return false;
  return ::lseek(Fd(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::size_t EzpInputFile::ReadSome(void* buffer, std::size_t count) {
  if (handle_ == kEmpty) return 0;
  ssize_t got;
  do {
    got = ::read(Fd(handle_), buffer, count);
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool EzpFileReplacer::Begin(const std::string& target) {
  Abandon();
  // A name of our own rather than mkstemp's, so the file is created with the mode a plain create
  // would give (0666 less the umask) and nothing needs changing before it takes the target's place.
  static unsigned counter = 0;
  std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "/.ezp-new-%ld-%u", static_cast<long>(::getpid()), counter++);
    std::string temp = folder + name;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      handle_ = fd;
      target_ = target;
      temp_ = temp;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool EzpFileReplacer::Write(const void* data, std::size_t count) {
  if (handle_ == kEmpty) return false;
  const auto* p = static_cast<const unsigned char*>(data);
  while (count > 0) {
    ssize_t put = ::write(Fd(handle_), p, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    count -= static_cast<std::size_t>(put);
  }
  return true;
}

bool EzpFileReplacer::Commit() {
  if (handle_ == kEmpty) return false;
  int fd = Fd(handle_);
  handle_ = kEmpty;
  bool ok = ::close(fd) == 0;
  // A read-only target stays as it is, as on Windows, where a read-only file cannot be replaced.
  struct stat st;
  if (ok && ::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) ok = false;
  if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void EzpFileReplacer::Abandon() {
  if (handle_ != kEmpty) {
    ::close(Fd(handle_));
    handle_ = kEmpty;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

bool EzpTruncateFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  return ::close(fd) == 0;
}

bool EzpStderrIsTerminal() { return ::isatty(2) != 0; }
