// The order of rows in a table and of the parts of a merged value. The
// parts' order reads a program-wide state: the comparator is called deep
// inside the normalisation of a merged value, which has no other way to
// hand it the empty-cell text; so only one normalisation may run at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class ComponentRecord;
class RecordTable;

struct SortState {
  // The empty-cell text while the parts of a merged value are ordered;
  // absent until the first normalisation sets it.
  std::optional<std::string> partEmptyText;
};

SortState& sortState();

// Parts by name order, except that the part equal to partEmptyText comes
// first. Negative, 0 or positive.
int compareParts(std::string_view a, std::string_view b);

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

}  // namespace comptab
