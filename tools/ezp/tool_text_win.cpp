#include "tool_text.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace {

constexpr UINT kCp936 = 936;

bool WideToCodePage(UINT cp, const std::wstring& in, std::string* out) {
  out->clear();
  if (in.empty()) return true;
  BOOL used_default = FALSE;
  // WC_NO_BEST_FIT_CHARS: a character without an exact form must fail, not become a look-alike.
  int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr,
                              &used_default);
  if (n <= 0 || used_default) return false;
  std::vector<char> buf(static_cast<std::size_t>(n));
  n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()), buf.data(), n, nullptr,
                          &used_default);
  if (n <= 0 || used_default) return false;
  out->assign(buf.data(), static_cast<std::size_t>(n));
  return true;
}

bool CodePageToWide(UINT cp, const std::string& in, std::wstring* out) {
  out->clear();
  if (in.empty()) return true;
  int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return false;
  std::vector<wchar_t> buf(static_cast<std::size_t>(n));
  n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), buf.data(), n);
  if (n <= 0) return false;
  out->assign(buf.data(), static_cast<std::size_t>(n));
  return true;
}

std::string WideToUtf8(const std::wstring& in) {
  std::string out;
  int n = WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, in.data(), static_cast<int>(in.size()), &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

bool PathToCp936(const std::filesystem::path& relative, std::string* cp936) {
  std::wstring w = relative.wstring();
  for (wchar_t& c : w) {
    if (c == L'/') c = L'\\';
  }
  return WideToCodePage(kCp936, w, cp936);
}

bool Cp936ToPath(const std::string& cp936, std::filesystem::path* path) {
  std::wstring w;
  if (!CodePageToWide(kCp936, cp936, &w)) return false;
  *path = std::filesystem::path(w);
  return true;
}

std::string Cp936ToUtf8(const std::string& cp936) {
  std::wstring w;
  if (CodePageToWide(kCp936, cp936, &w)) return WideToUtf8(w);
  std::string shown;
  for (char c : cp936) shown += static_cast<unsigned char>(c) < 0x80 ? c : '?';
  return shown;
}

bool PathToNarrow(const std::filesystem::path& path, std::string* narrow) {
  return WideToCodePage(CP_ACP, path.wstring(), narrow);
}

std::string PathForDisplay(const std::filesystem::path& path) { return WideToUtf8(path.wstring()); }

std::vector<std::string> Utf8Args(int argc, char** argv) {
  std::vector<std::string> args;
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  for (int i = 0; i < n; ++i) args.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return args;
}

std::filesystem::path PathFromArg(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
  return std::filesystem::path(w);
}
