// The rows of one output item: a growable array whose first count() rows
// are in use.
#pragma once

#include <algorithm>
#include <vector>

#include "table/component_record.h"

namespace comptab {

class RecordTable {
 public:
  RecordTable() = default;
  RecordTable(const RecordTable&) = delete;
  RecordTable& operator=(const RecordTable&) = delete;

  int count() const { return count_; }
  int capacity() const { return capacity_; }

  // Row `index` (a negative one counts as 0), growing the array when it is
  // too small; the rows in use then reach at least up to `index`. Append a
  // row with at(count()).assign(row).
  ComponentRecord& at(int index);
  // Row `index` of those in use, without growing.
  const ComponentRecord& operator[](int index) const { return rows_[index]; }

  // Keeps the first `count` rows in use (limited to what is allocated);
  // the rows beyond start afresh. setCount(0) empties the table but keeps
  // its storage.
  void setCount(int count);

  // This table's rows in use become copies of `other`'s, sharing lists.
  void assign(const RecordTable& other);

  // Makes room in an empty table for `rows` rows at once: folding never
  // yields more rows than it is given, and growing row by row would move
  // the rows again and again.
  void reserve(int rows);
  // Takes the rows of `folded`, in order, sharing their lists, in place of
  // the rows in use.
  void replaceWith(const RecordTable& folded);

  // Puts the rows in use in the order `order` gives: a permutation of the
  // positions 0 to count() - 1, new first row first.
  void reorder(std::vector<int> order);

  // Drops the rows in use that `drop` picks, keeping the others in order.
  template <class Drop>
  void removeIf(Drop drop) {
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
      if (drop(rows_[i])) continue;
      if (kept != i) rows_[kept] = std::move(rows_[i]);
      ++kept;
    }
    setCount(kept);
  }

  // Clears every row in use (their lists emptied for every holder) and
  // empties the table.
  void clearRows();

 private:
  int count_ = 0;
  int capacity_ = 0;
  std::vector<ComponentRecord> rows_;  // at least capacity_ rows
};

}  // namespace comptab
