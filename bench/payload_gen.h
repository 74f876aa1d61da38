// A generated payload shaped like the shipped setupdir package: 85 files, 17.7 MB in all, a few large
// libraries and many small files, with content that LZMA compresses about as well as program files
// (to roughly a quarter).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GeneratedFile {
  std::string name;  // entry name, "\" + relative path
  std::vector<std::uint8_t> content;
};

std::vector<GeneratedFile> GenerateSuitePayload();
