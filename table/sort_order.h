// The order of rows in a table and of the parts of a merged value, with the
// state they read. The state is program-wide because the run loop sets it
// once per sort pass and the comparators, called deep inside the sort, have
// no other way to see it; so only one sort may run at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class ComponentRecord;
class RecordTable;

struct SortState {
  std::vector<std::string> sortKeys;  // the settings' sortKey list
  int sortCurrent = 0;                // key position the row comparator starts at
  int sortSaved = 0;                  // what sortCurrent returns to after each comparison
  // The empty-cell text while the parts of a merged value are ordered;
  // absent until the first normalisation sets it.
  std::optional<std::string> partEmptyText;
};

SortState& sortState();

// Rows by the keys from sortCurrent down to the first: the first key on
// which they differ decides, by name order; a row without the key (no value,
// as opposed to an empty one) sorts before a row that has it. Negative, 0
// or positive.
int compareRows(const ComponentRecord& a, const ComponentRecord& b);

// Parts by name order, except that the part equal to partEmptyText comes
// first. Negative, 0 or positive.
int compareParts(std::string_view a, std::string_view b);

// One sort pass of the table's rows in use with compareRows, as the state
// stands. Stable: rows that compare equal keep their order.
void sortTable(RecordTable& table);

// Every pass the run loop makes: for each key position k from the first to
// the last, set sortCurrent and sortSaved to k and, unless that key's name
// is empty, sort. The last key ends up the most significant, and each
// earlier one breaks ties of the keys after it; rows tied on every key
// stand in the order of their sequence numbers (the walk's).
void sortTableByKeys(RecordTable& table);

}  // namespace comptab
