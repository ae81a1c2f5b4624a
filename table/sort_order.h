// The order of rows in a table and of the parts of a merged value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table/property_name.h"
#include "table/record_table.h"

namespace comptab {

// The order of the parts of a merged value: name order, except that the
// part equal to the empty-cell text comes first.
struct PartOrder {
  std::string_view emptyText;
  // True when part `a` comes before part `b`.
  bool operator()(std::string_view a, std::string_view b) const;
};

// How the values of some sort keys compare, by comptab's own keys: sort
// keys ordered from the greatest down, and sort keys whose values compare
// as electrical values (table/value_order.h).
struct SortKeyOrder {
  std::vector<std::string> descending;
  std::vector<std::string> byValue;
};

// Orders the rows in use by the settings' sortKey list, in one stable sort.
// The last key is the most significant and each earlier one breaks ties of
// the keys after it; an empty key name is passed over. On one key, the
// first values that differ decide, by name order (or electrical value, for
// the keys `order` says); a row without the key (no value, as opposed to an
// empty one) comes before a row that has it; a descending key turns both
// round. Rows tied on every key stand in the order of their sequence
// numbers (the walk's).
void sortTableByKeys(RecordTable& table, const std::vector<std::string>& sortKeys, const SortKeyOrder& order = {});

// The same order kept over the tables of a run: each row's key values are
// turned once into bytes that compare as the rows do (table/sort_key.h),
// and kept with the row, so that a table which keeps most rows of the one
// before takes only its new rows in rather than sorting everything again.
class TableOrder {
 public:
  TableOrder(const std::vector<std::string>& sortKeys, const SortKeyOrder& order = {});

  // Puts the rows in use in order, as sortTableByKeys does.
  void sort(RecordTable& table);
  // Drops the rows that `drop` picks, keeping the others in order.
  template <class Drop>
  void drop(RecordTable& table, Drop drop) {
    size_t kept = 0;
    size_t at = 0;
    table.removeIf([&](const ComponentRecord& row) {
      const bool gone = drop(row);
      if (!gone && at < entries_.size()) entries_[kept++] = entries_[at];
      ++at;
      return gone;
    });
    entries_.resize(kept);
  }
  // The rows before `kept` stand as sort() or merge() left them (less those
  // drop() took), unchanged since; the rows from `kept` on are new. Puts
  // the table in the order sort() would give it, sorting only the new
  // rows and merging them in.
  void merge(RecordTable& table, int kept);

 private:
  // A row's key: `head` holds its first eight bytes, so that most
  // comparisons read no further.
  struct Entry {
    uint64_t head = 0;
    uint64_t offset = 0;
    uint32_t size = 0;
    uint32_t sequence = 0;
    uint32_t row = 0;
  };
  // The keys of rows `from` to the end, appended to entries_.
  void addKeys(const RecordTable& table, int from);
  bool before(const Entry& a, const Entry& b) const;

  std::vector<std::string> keys_;  // most significant first
  std::vector<bool> descending_;
  std::vector<bool> byValue_;
  std::string bytes_;
  std::vector<Entry> entries_;  // one per row in use, in table order
};

}  // namespace comptab
