#include "table/sort_order.h"

#include "platform/name_order.h"
#include "table/component_record.h"
#include "table/record_table.h"

namespace comptab {

SortState& sortState() {
  static SortState state;
  return state;
}

int compareRows(const ComponentRecord& a, const ComponentRecord& b) {
  SortState& state = sortState();
  const auto finish = [&state](int result) {
    state.sortCurrent = state.sortSaved;
    return result;
  };
  const int keyCount = static_cast<int>(state.sortKeys.size());
  for (int k = state.sortCurrent; k >= 0; state.sortCurrent = --k) {
    if (k >= keyCount) continue;  // a position past the list names no property
    const std::string& key = state.sortKeys[k];
    const PropertyText va = a.value(key);
    const PropertyText vb = b.value(key);
    if (va && vb) {
      const int c = compareNames(*va, *vb);
      if (c != 0) return finish(c);
    } else if (va) {
      return finish(1);
    } else if (vb) {
      return finish(-1);
    }
  }
  return finish(0);
}

int compareParts(std::string_view a, std::string_view b) {
  const std::optional<std::string>& emptyText = sortState().partEmptyText;
  if (emptyText) {
    if (b == *emptyText) return 1;
    if (a == *emptyText) return -1;
  }
  return compareNames(a, b);
}

void sortTable(RecordTable& table) { table.sort(compareRows); }

void sortTableByKeys(RecordTable& table) {
  SortState& state = sortState();
  const int keyCount = static_cast<int>(state.sortKeys.size());
  for (int k = 0; k < keyCount; ++k) {
    state.sortCurrent = k;
    state.sortSaved = k;
    if (!state.sortKeys[k].empty()) sortTable(table);
  }
}

}  // namespace comptab
