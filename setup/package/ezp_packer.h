// Writes a package: the store as entries arrive, the index at the end. Both files are written beside
// their targets and put in place only by Finish, so a failed or interrupted pack leaves no half
// package behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ezp_file.h"
#include "ezp_format.h"

class EzpPackWriter {
 public:
  // Records carry flag 1 (scrambled) or 0 (plain) for every entry of this package.
  explicit EzpPackWriter(bool scrambled = true) : flag_(scrambled ? kEzpFlagScrambled : kEzpFlagPlain) {}

  [[nodiscard]] bool Begin(const std::string& index_path, const std::string& store_path, std::string* error);
  // Appends one entry. name is code page 936 text beginning with "\"; content may not be empty (the
  // installer never extracts an entry of length 0). The store may not reach 2 GiB.
  [[nodiscard]] bool Add(const std::string& name, const std::uint8_t* content, std::size_t size, std::string* error);
  // Writes the index (records in ascending name order) and puts both files in place.
  [[nodiscard]] bool Finish(std::string* error);

 private:
  std::uint8_t flag_;
  std::string index_path_;
  EzpFileReplacer index_;
  EzpFileReplacer store_;
  std::vector<EzpRecord> records_;
  std::uint64_t store_size_ = 0;
  std::vector<std::uint8_t> scratch_;
};
