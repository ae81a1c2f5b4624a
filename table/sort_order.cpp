#include "table/sort_order.h"

#include <numeric>

#include "platform/support/name_order.h"
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
  // The key values are copied side by side, with the sequence numbers: a big
  // table's rows lie all over memory, and the sort reads each key many times.
  struct Key {
    size_t offset = 0;
    uint32_t size = 0;
    bool present = false;
  };
  const int count = table.count();
  std::string texts;
  std::vector<Key> keys(static_cast<size_t>(count) * width);
  std::vector<uint32_t> sequence(static_cast<size_t>(count));
  for (int r = 0; r < count; ++r) {
    sequence[static_cast<size_t>(r)] = table[r].sequence;
    for (size_t j = 0; j < width; ++j) {
      if (!names[j]) continue;
      if (const PropertyText value = table[r].value(*names[j])) {
        keys[static_cast<size_t>(r) * width + j] = Key{texts.size(), static_cast<uint32_t>(value->size()), true};
        texts.append(*value);
      }
    }
  }

  std::vector<int> order(static_cast<size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const Key* ka = keys.data() + static_cast<size_t>(a) * width;
    const Key* kb = keys.data() + static_cast<size_t>(b) * width;
    for (size_t j = 0; j < width; ++j) {
      if (ka[j].present && kb[j].present) {
        const int c = compareNames(std::string_view(texts.data() + ka[j].offset, ka[j].size),
                                   std::string_view(texts.data() + kb[j].offset, kb[j].size));
        if (c != 0) return c < 0;
      } else if (ka[j].present || kb[j].present) {
        return !ka[j].present;
      }
    }
    // Rows of a table made partly in an earlier walk keep the walk's order.
    return sequence[static_cast<size_t>(a)] < sequence[static_cast<size_t>(b)];
  });
  table.reorder(std::move(order));
}

}  // namespace comptab
