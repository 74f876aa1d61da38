#include "ezp_packer.h"

#include <algorithm>
#include <cstring>

#include "sm3.h"

namespace {
constexpr std::uint64_t kMaxStore = 0x7FFFFFFF;  // offsets and lengths are read as signed 32-bit
}

bool EzpPackWriter::Begin(const std::string& index_path, const std::string& store_path, std::string* error) {
  records_.clear();
  store_size_ = 0;
  index_path_ = index_path;
  if (!index_.Begin(index_path)) {
    *error = "cannot create " + index_path;
    return false;
  }
  if (!store_.Begin(store_path)) {
    index_.Abandon();
    *error = "cannot create " + store_path;
    return false;
  }
  return true;
}

bool EzpPackWriter::Add(const std::string& name, const std::uint8_t* content, std::size_t size, std::string* error) {
  if (name.size() < 2 || name[0] != '\\') {
    *error = "entry name must begin with \"\\\": " + name;
    return false;
  }
  if (name.size() > kEzpMaxNameLength || name.find('\0') != std::string::npos) {
    *error = "entry name longer than 259 bytes: " + name;
    return false;
  }
  if (size == 0) {
    *error = "empty file (the installer never writes an entry of length 0): " + name;
    return false;
  }
  if (store_size_ + size > kMaxStore) {
    *error = "the store would reach 2 GiB at " + name;
    return false;
  }
  EzpRecord record;
  record.flag = flag_;
  record.name = name;
  record.offset = static_cast<std::uint32_t>(store_size_);
  record.length = static_cast<std::uint32_t>(size);
  if (!ComputeSm3(content, size, &record.digest)) {
    *error = "SM3 failed for " + name;
    return false;
  }
  bool written;
  if (flag_ == kEzpFlagScrambled) {
    scratch_.assign(content, content + size);
    ScrambleEzpBytes(scratch_.data(), size);
    written = store_.Write(scratch_.data(), size);
  } else {
    written = store_.Write(content, size);
  }
  if (!written) {
    *error = "write error in the store";
    return false;
  }
  store_size_ += size;
  records_.push_back(std::move(record));
  return true;
}

bool EzpPackWriter::Finish(std::string* error) {
  std::sort(records_.begin(), records_.end(),
            [](const EzpRecord& a, const EzpRecord& b) { return a.name < b.name; });
  for (std::size_t i = 1; i < records_.size(); ++i) {
    if (records_[i].name == records_[i - 1].name) {
      *error = "two entries named " + records_[i].name;
      return false;
    }
  }
  std::vector<std::uint8_t> index(kEzpHeaderSize + records_.size() * kEzpRecordSize);
  auto header = MakeEzpHeader();
  std::memcpy(index.data(), header.data(), header.size());
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (!EncodeEzpRecord(records_[i], index.data() + kEzpHeaderSize + i * kEzpRecordSize)) {
      *error = "cannot encode " + records_[i].name;
      return false;
    }
  }
  if (!index_.Write(index.data(), index.size())) {
    *error = "write error in " + index_path_;
    return false;
  }
  // The store first: an index is only ever in place next to the store it describes.
  if (!store_.Commit() || !index_.Commit()) {
    *error = "cannot put the package in place at " + index_path_;
    return false;
  }
  return true;
}
