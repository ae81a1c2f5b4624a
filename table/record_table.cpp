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

void RecordTable::reorder(const std::vector<int>& order) {
  std::vector<ComponentRecord> sorted;
  sorted.reserve(order.size());
  for (const int i : order) sorted.push_back(std::move(rows_[i]));
  std::move(sorted.begin(), sorted.end(), rows_.begin());
}

void RecordTable::clearRows() {
  for (int i = 0; i < count_; ++i) rows_[i].clear();
  at(0);
  setCount(0);
}

}  // namespace comptab
