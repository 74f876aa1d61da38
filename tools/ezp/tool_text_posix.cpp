#include "tool_text.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

// One conversion with iconv; false on any character the target cannot hold.
bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buf(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = buf.data();
  std::size_t dst_left = buf.size();
  std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
  bool ok = r != static_cast<std::size_t>(-1) && src_left == 0 &&
            iconv(cd, nullptr, nullptr, &dst, &dst_left) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (ok) out->assign(buf.data(), buf.size() - dst_left);
  return ok;
}

}  // namespace

bool PathToCp936(const std::filesystem::path& relative, std::string* cp936) {
  std::string utf8 = relative.generic_string();
  if (!Convert("CP936", "UTF-8", utf8, cp936)) return false;
  for (char& c : *cp936) {
    if (c == '/') c = '\\';  // a 0x2F byte is never part of a double-byte character
  }
  return true;
}

bool Cp936ToPath(const std::string& cp936, std::filesystem::path* path) {
  std::string utf8;
  if (!Convert("UTF-8", "CP936", cp936, &utf8)) return false;
  for (char& c : utf8) {
    if (c == '\\') c = '/';  // after conversion a 0x5C byte is always a separator
  }
  *path = std::filesystem::path(utf8);
  return true;
}

std::string Cp936ToUtf8(const std::string& cp936) {
  std::string utf8;
  if (Convert("UTF-8", "CP936", cp936, &utf8)) return utf8;
  std::string shown;
  for (char c : cp936) shown += static_cast<unsigned char>(c) < 0x80 ? c : '?';
  return shown;
}

bool PathToNarrow(const std::filesystem::path& path, std::string* narrow) {
  *narrow = path.string();
  return true;
}

std::string PathForDisplay(const std::filesystem::path& path) { return path.string(); }

std::vector<std::string> Utf8Args(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::filesystem::path PathFromArg(const std::string& utf8) { return std::filesystem::path(utf8); }
