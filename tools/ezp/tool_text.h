// Names between the file system and the package: entry names are code page 936 bytes; file names
// are UTF-8 on Linux and UTF-16 on Windows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A relative path from the file system as code page 936 text with "\" separators; false when a
// character has no code page 936 form.
[[nodiscard]] bool PathToCp936(const std::filesystem::path& relative, std::string* cp936);

// Code page 936 text (an entry name, "\" or "/" separated) as a path; false when it is not valid
// code page 936.
[[nodiscard]] bool Cp936ToPath(const std::string& cp936, std::filesystem::path* path);

// For messages and listings; bytes that are not code page 936 show as "?".
std::string Cp936ToUtf8(const std::string& cp936);

// A path in the narrow form that the package store's file calls take (UTF-8 on Linux, the ANSI code
// page on Windows); false when that form cannot hold it.
[[nodiscard]] bool PathToNarrow(const std::filesystem::path& path, std::string* narrow);

// A path for messages, in UTF-8.
std::string PathForDisplay(const std::filesystem::path& path);

// The command line as UTF-8 (on Windows from the wide command line, so no name is lost to the ANSI
// code page), and a path from such an argument.
std::vector<std::string> Utf8Args(int argc, char** argv);
std::filesystem::path PathFromArg(const std::string& utf8);
