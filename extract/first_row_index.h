// The rows of a table that are still open to others, by a key, so that the
// first open row of a key is found at once instead of by walking the table.
// Packaging looks up the package of a reference and destination this way,
// and grouping the group of a key value.
//
// The index holds no key texts: the caller hashes a key and tells, for a
// row the hash leads to, whether that row's key is the one sought. Rows
// keep their keys in their own properties already, and building a text
// per row to look it up was a large share of folding a big table.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace comptab {

// A hash of a key made of one or more texts; texts that would run
// together ("ab"+"c", "a"+"bc") hash apart as often as any two keys.
class KeyHash {
 public:
  KeyHash& add(std::string_view text);
  uint64_t value() const { return value_; }

 private:
  uint64_t value_ = 0x9e3779b97f4a7c15ull;
};

class FirstRowIndex {
 public:
  // The lowest open row whose hash is `hash` and for which `sameKey(row)`
  // holds, or -1.
  template <class SameKey>
  int first(uint64_t hash, SameKey sameKey) const {
    if (buckets_.empty()) return -1;
    int found = -1;
    for (int row = buckets_[hash & (buckets_.size() - 1)]; row >= 0; row = next_[static_cast<size_t>(row)])
      if (hashes_[static_cast<size_t>(row)] == hash && (found < 0 || row < found) && sameKey(row)) found = row;
    return found;
  }
  // Opens `row` under `hash`, or moves it there when it is open already:
  // merging can change the key of a row that others were merged into.
  void open(int row, uint64_t hash);
  void close(int row);
  bool isOpen(int row) const { return static_cast<size_t>(row) < open_.size() && open_[static_cast<size_t>(row)]; }

 private:
  void link(int row);
  void unlink(int row);
  void grow();

  std::vector<int> buckets_;  // the last row opened in each, or -1
  std::vector<int> next_;     // the row opened before it in its bucket
  std::vector<uint64_t> hashes_;
  std::vector<bool> open_;
  size_t openRows_ = 0;
};

}  // namespace comptab
