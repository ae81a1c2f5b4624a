#include "table/sort_order.h"

#include <algorithm>
#include <numeric>

#include "platform/support/name_order.h"
#include "table/component_record.h"
#include "table/record_table.h"
#include "table/value_order.h"

namespace comptab {

namespace {

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

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
void sortTableByKeys(RecordTable& table, const std::vector<std::string>& sortKeys, const SortKeyOrder& keyOrder) {
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
  const auto text = [&](const Key& key) { return std::string_view(texts.data() + key.offset, key.size); };
  // Rows of a table made partly in an earlier walk keep the walk's order.
  const auto bySequence = [&](int a, int b) {
    return sequence[static_cast<size_t>(a)] < sequence[static_cast<size_t>(b)];
  };

  std::vector<bool> descending(width, false);
  std::vector<bool> byValue(width, false);
  for (size_t j = 0; j < width; ++j) {
    const std::string& key = sortKeys[static_cast<size_t>(last) - j];
    descending[j] = listed(keyOrder.descending, key);
    byValue[j] = listed(keyOrder.byValue, key);
  }
  const bool plain = std::find(descending.begin(), descending.end(), true) == descending.end() &&
                     std::find(byValue.begin(), byValue.end(), true) == byValue.end();
  if (plain) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const Key* ka = keys.data() + static_cast<size_t>(a) * width;
      const Key* kb = keys.data() + static_cast<size_t>(b) * width;
      for (size_t j = 0; j < width; ++j) {
        if (ka[j].present && kb[j].present) {
          const int c = compareNames(text(ka[j]), text(kb[j]));
          if (c != 0) return c < 0;
        } else if (ka[j].present || kb[j].present) {
          return !ka[j].present;
        }
      }
      return bySequence(a, b);
    });
    table.reorder(std::move(order));
    return;
  }

  // Electrical values are read once per row, not at every comparison.
  std::vector<std::optional<double>> magnitudes(keys.size());
  for (size_t i = 0; i < keys.size(); ++i)
    if (byValue[i % width] && keys[i].present) magnitudes[i] = electricalValue(text(keys[i]));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const size_t ra = static_cast<size_t>(a) * width;
    const size_t rb = static_cast<size_t>(b) * width;
    for (size_t j = 0; j < width; ++j) {
      const Key& ka = keys[ra + j];
      const Key& kb = keys[rb + j];
      if (ka.present && kb.present) {
        const int c = byValue[j] ? compareElectrical(text(ka), magnitudes[ra + j], text(kb), magnitudes[rb + j])
                                 : compareNames(text(ka), text(kb));
        if (c != 0) return descending[j] ? c > 0 : c < 0;
      } else if (ka.present || kb.present) {
        return descending[j] ? ka.present : !ka.present;
      }
    }
    return bySequence(a, b);
  });
  table.reorder(std::move(order));
}

}  // namespace comptab
