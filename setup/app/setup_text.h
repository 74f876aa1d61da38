// The wizard's text rules that need no window: the command-line switches, the version in the title,
// the status box and the damaged-package message. Portable, so they are tested natively.
#pragma once

#include <string>
#include <vector>

// The suite's version; the title shows its first two parts, the uninstall entry all of it.
inline constexpr char kSuiteVersion[] = "3.9.8.4";

// The command-line tail as the program's start-up code gives it: the text after the program name,
// without the blanks in front. A quoted program name ends at its closing quote.
std::string CommandLineTail(const std::string& command_line);

struct StartFlags {
  bool unattended = false;
  bool silent = false;
};
// The tail is compared whole and case-sensitively: "-fix" and "-fixfile" start unattended, "-s" and
// "-S" unattended and silent; anything else, a second word or a trailing blank included, is
// interactive.
StartFlags ParseStartFlags(const std::string& tail);

// Splits at any character of delimiters, dropping empty pieces.
std::vector<std::string> SplitByAny(const std::string& text, const std::string& delimiters);

// "3.9.8.4" gives "3.9"; fewer than two pieces give "".
std::string MajorMinorVersion(const std::string& version);

// "Zeva数字证书客户端软件 <major.minor> 安装程序" (code page 936 in the Windows build).
std::string WizardTitle(const std::string& version);

// The status box keeps the newest line on top: text, "\r\n", then what the box held, cut to the
// first kStatusKeepBytes bytes (the box is read through a buffer of 60,000 bytes). A cut that would
// split a double-byte character drops its lone lead byte.
inline constexpr std::size_t kStatusKeepBytes = 59999;
std::string ComposeStatusText(const std::string& line, const std::string& previous);

// "安装程序被损坏,请重新下载!\nCode=<code>"
std::string CorruptPackageMessage(int code);
