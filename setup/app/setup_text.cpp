#include "setup_text.h"

#include <cstdio>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Lead bytes of code page 936 double-byte characters.
bool IsCp936LeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace

std::string CommandLineTail(const std::string& command_line) {
  std::size_t i = 0;
  const std::size_t n = command_line.size();
  if (i < n && command_line[i] == '"') {
    ++i;
    while (i < n && command_line[i] != '"') ++i;
    if (i < n) ++i;  // the closing quote
  } else {
    while (i < n && !IsBlank(command_line[i])) ++i;
  }
  while (i < n && IsBlank(command_line[i])) ++i;
  return command_line.substr(i);
}

StartFlags ParseStartFlags(const std::string& tail) {
  StartFlags flags;
  if (tail == "-fix" || tail == "-fixfile") flags.unattended = true;
  if (tail == "-s" || tail == "-S") flags.unattended = flags.silent = true;
  return flags;
}

std::vector<std::string> SplitByAny(const std::string& text, const std::string& delimiters) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : text) {
    if (delimiters.find(c) != std::string::npos) {
      if (!piece.empty()) pieces.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

std::string MajorMinorVersion(const std::string& version) {
  std::vector<std::string> pieces = SplitByAny(version, ".");
  if (pieces.size() < 2) return "";
  return pieces[0] + "." + pieces[1];
}

std::string WizardTitle(const std::string& version) {
  return "Zeva数字证书客户端软件 " + MajorMinorVersion(version) + " 安装程序";
}

std::string ComposeStatusText(const std::string& line, const std::string& previous) {
  std::size_t keep = previous.size() < kStatusKeepBytes ? previous.size() : kStatusKeepBytes;
  // Walk the kept bytes by characters: a lead byte whose trail byte is not there (cut off here, or
  // already when the box was read) goes too.
  std::size_t i = 0;
  while (i < keep) {
    if (IsCp936LeadByte(static_cast<unsigned char>(previous[i]))) {
      if (i + 1 >= keep) {
        keep = i;
        break;
      }
      i += 2;
    } else {
      ++i;
    }
  }
  return line + "\r\n" + previous.substr(0, keep);
}

std::string CorruptPackageMessage(int code) {
  char text[96];
  std::snprintf(text, sizeof text, "安装程序被损坏,请重新下载!\nCode=%d", code);
  return text;
}
