#include <cstdio>

#include "ezp_reader.h"

// Without a desktop the box becomes a line on stderr, in the same words.
void ShowEzpExtractError(const std::string& entryName) {
  std::fprintf(stderr, "EZP解压错误! %s\n", entryName.c_str());
}
