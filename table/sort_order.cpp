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

int compareParts(std::string_view a, std::string_view b) {
  const std::optional<std::string>& emptyText = sortState().partEmptyText;
  if (emptyText) {
    if (b == *emptyText) return 1;
    if (a == *emptyText) return -1;
  }
  return compareNames(a, b);
}

// The key order means a sort pass per key, from the first key to the last,
// each by that key and the ones before it and keeping the order of rows
// that tie; after the last pass rows stand in the order of that pass alone.
// One stable sort by those keys gives the same table. Each row's key values
// are looked up once before it rather than at every comparison.
void sortTableByKeys(RecordTable& table, const std::vector<std::string>& sortKeys) {
  const int keyCount = static_cast<int>(sortKeys.size());
  int last = -1;
  for (int k = 0; k < keyCount; ++k)
    if (!sortKeys[k].empty()) last = k;
  // Even without keys the rows are put in walk order: a table made partly
  // in an earlier walk needs it, and a fresh one is in that order already.
  if (table.count() < 2) return;

  // Most significant key first.
  const size_t width = static_cast<size_t>(last) + 1;
  std::vector<std::optional<NameId>> names;
  for (int k = last; k >= 0; --k) names.push_back(knownName(sortKeys[k]));
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
