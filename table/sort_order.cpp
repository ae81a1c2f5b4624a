#include "table/sort_order.h"

#include <numeric>

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

// Each pass k orders by keys k down to 0 and keeps the order of rows that
// tie, so after the last pass that sorts at all, rows stand in the order of
// that pass alone, ties in the order they were collected: one stable sort
// by those keys gives the same table. Each row's key values are looked up
// once before it rather than at every comparison.
void sortTableByKeys(RecordTable& table) {
  SortState& state = sortState();
  const int keyCount = static_cast<int>(state.sortKeys.size());
  int last = -1;
  for (int k = 0; k < keyCount; ++k)
    if (!state.sortKeys[k].empty()) last = k;
  if (keyCount > 0) {
    state.sortCurrent = keyCount - 1;
    state.sortSaved = keyCount - 1;
  }
  // Even without keys the rows are put in walk order: a table made partly
  // in an earlier walk needs it, and a fresh one is in that order already.
  if (table.count() < 2) return;

  // Most significant key first.
  const size_t width = static_cast<size_t>(last) + 1;
  std::vector<std::optional<NameId>> names;
  for (int k = last; k >= 0; --k) names.push_back(knownName(state.sortKeys[k]));
  const int count = table.count();
  std::vector<PropertyText> keys(static_cast<size_t>(count) * width);
  for (int r = 0; r < count; ++r)
    for (size_t j = 0; j < width; ++j)
      if (names[j]) keys[static_cast<size_t>(r) * width + j] = table[r].value(*names[j]);

  std::vector<int> order(static_cast<size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&keys, width, &table](int a, int b) {
    const PropertyText* ka = keys.data() + static_cast<size_t>(a) * width;
    const PropertyText* kb = keys.data() + static_cast<size_t>(b) * width;
    for (size_t j = 0; j < width; ++j) {
      if (ka[j] && kb[j]) {
        const int c = compareNames(*ka[j], *kb[j]);
        if (c != 0) return c < 0;
      } else if (ka[j] || kb[j]) {
        return !ka[j];
      }
    }
    // Rows of a table made partly in an earlier walk keep the walk's order.
    return table[a].sequence < table[b].sequence;
  });
  table.reorder(order);
}

}  // namespace comptab
