#include "table/record_table.h"

#include <cstdint>

namespace comptab {

ComponentRecord& RecordTable::at(int index) {
  if (index < 0) index = 0;
  if (index >= capacity_) {
    // The capacity roughly doubles while the table is small, then reaches
    // 256 rows past the index. The storage underneath grows geometrically,
    // so that appending row after row stays linear however big the table.
    const int64_t step = std::min<int64_t>(std::max(capacity_, 1), 256);
    capacity_ = static_cast<int>(int64_t{index} + step);
    rows_.resize(static_cast<size_t>(capacity_));
  }
  if (index >= count_) count_ = index + 1;
  return rows_[index];
}

void RecordTable::setCount(int count) {
  count = std::clamp(count, 0, capacity());
  // Rows past the count are kept fresh, so that a row that at() brings into
  // use holds nothing from an earlier item and no list stays alive unseen.
  for (int i = count; i < count_; ++i) rows_[i] = ComponentRecord();
  count_ = count;
}

void RecordTable::assign(const RecordTable& other) {
  if (&other == this) return;
  if (other.count_ > count_) at(other.count_);
  setCount(other.count_);
  for (int i = 0; i < count_; ++i) rows_[i].assign(other.rows_[i]);
}

void RecordTable::reserve(int rows) {
  if (rows <= capacity_) return;
  at(rows - 1);
  setCount(0);
}

void RecordTable::replaceWith(const RecordTable& folded) {
  at(0);
  setCount(0);
  assign(folded);
}

// In place, one cycle of the permutation at a time: a big table's rows
// are not copied to a second array.
void RecordTable::reorder(std::vector<int> order) {
  for (size_t start = 0; start < order.size(); ++start) {
    if (order[start] < 0 || static_cast<size_t>(order[start]) == start) continue;
    ComponentRecord first = std::move(rows_[start]);
    size_t at = start;
    while (static_cast<size_t>(order[at]) != start) {
      const size_t from = static_cast<size_t>(order[at]);
      rows_[at] = std::move(rows_[from]);
      order[at] = -1;
      at = from;
    }
    rows_[at] = std::move(first);
    order[at] = -1;
  }
}

void RecordTable::clearRows() {
  for (int i = 0; i < count_; ++i) rows_[i].clear();
  at(0);
  setCount(0);
}

}  // namespace comptab
