#include "extract/first_row_index.h"

#include <functional>

namespace comptab {

KeyHash& KeyHash::add(std::string_view text) {
  // The length goes in too, so that the split between texts counts.
  const uint64_t h = std::hash<std::string_view>()(text) ^ (text.size() * 0xff51afd7ed558ccdull);
  value_ = (value_ ^ h) * 0x100000001b3ull + (value_ >> 29);
  return *this;
}

void FirstRowIndex::open(int row, uint64_t hash) {
  const auto at = static_cast<size_t>(row);
  if (at >= next_.size()) {
    const size_t size = std::max(at + 1, next_.size() * 2);
    next_.resize(size, -1);
    hashes_.resize(size, 0);
    open_.resize(size, false);
  }
  if (open_[at]) {
    if (hashes_[at] == hash) return;
    unlink(row);
    --openRows_;
  }
  hashes_[at] = hash;
  open_[at] = true;
  ++openRows_;
  // Half full at most, so that chains stay a row or two long.
  if (openRows_ * 2 > buckets_.size())
    grow();
  else
    link(row);
}

void FirstRowIndex::close(int row) {
  if (!isOpen(row)) return;
  unlink(row);
  open_[static_cast<size_t>(row)] = false;
  --openRows_;
}

void FirstRowIndex::link(int row) {
  int& bucket = buckets_[hashes_[static_cast<size_t>(row)] & (buckets_.size() - 1)];
  next_[static_cast<size_t>(row)] = bucket;
  bucket = row;
}

void FirstRowIndex::unlink(int row) {
  int* at = &buckets_[hashes_[static_cast<size_t>(row)] & (buckets_.size() - 1)];
  while (*at != row) at = &next_[static_cast<size_t>(*at)];
  *at = next_[static_cast<size_t>(row)];
}

void FirstRowIndex::grow() {
  size_t size = buckets_.empty() ? 64 : buckets_.size();
  while (openRows_ * 2 > size) size *= 2;
  buckets_.assign(size, -1);
  for (size_t row = 0; row < open_.size(); ++row)
    if (open_[row]) link(static_cast<int>(row));
}

}  // namespace comptab
