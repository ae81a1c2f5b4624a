#include "table/sort_order.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "platform/support/name_order.h"
#include "table/component_record.h"
#include "table/record_table.h"
#include "table/sort_key.h"
#include "table/value_order.h"

namespace comptab {

namespace {

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool PartOrder::operator()(std::string_view a, std::string_view b) const {
  if (b == emptyText) return false;
  if (a == emptyText) return true;
  return compareNames(a, b) < 0;
}

// The key order means a sort pass per key, from the first key to the last,
// each by that key and the ones before it and keeping the order of rows
// that tie; after the last pass rows stand in the order of that pass alone.
// One sort by those keys, most significant first, gives the same table.
void sortTableByKeys(RecordTable& table, const std::vector<std::string>& sortKeys, const SortKeyOrder& keyOrder) {
  TableOrder(sortKeys, keyOrder).sort(table);
}

TableOrder::TableOrder(const std::vector<std::string>& sortKeys, const SortKeyOrder& keyOrder) {
  int last = -1;
  for (int k = 0; k < static_cast<int>(sortKeys.size()); ++k)
    if (!sortKeys[static_cast<size_t>(k)].empty()) last = k;
  for (int k = last; k >= 0; --k) {
    const std::string& key = sortKeys[static_cast<size_t>(k)];
    keys_.push_back(key);
    descending_.push_back(listed(keyOrder.descending, key));
    byValue_.push_back(listed(keyOrder.byValue, key));
  }
}

// Each key value is marked absent (0x00) or present (0x01) before its
// bytes, so a row without the key comes first; a descending key's bytes
// are turned round, which turns both round. A name is looked up afresh
// each time: a name no row had before may be in use by now.
void TableOrder::addKeys(const RecordTable& table, int from) {
  std::vector<std::optional<NameId>> names;
  for (const std::string& key : keys_) names.push_back(knownName(key));
  // Sized once: grown entry by entry, the array moves each time it
  // doubles, the old copy held while the new one fills, and the last moves
  // come when the rows are all made and memory is at its highest.
  entries_.reserve(entries_.size() + static_cast<size_t>(std::max(table.count() - from, 0)));
  for (int r = from; r < table.count(); ++r) {
    const ComponentRecord& row = table[r];
    Entry entry;
    entry.offset = bytes_.size();
    entry.sequence = row.sequence;
    for (size_t j = 0; j < names.size(); ++j) {
      const size_t start = bytes_.size();
      const PropertyText value = names[j] ? row.value(*names[j]) : std::nullopt;
      if (!value) {
        bytes_.push_back('\0');
      } else {
        bytes_.push_back('\1');
        if (byValue_[j])
          appendElectricalKey(bytes_, *value, electricalValue(*value));
        else
          appendNameKey(bytes_, *value);
      }
      if (descending_[j])
        for (size_t i = start; i < bytes_.size(); ++i) bytes_[i] = static_cast<char>(~bytes_[i]);
    }
    entry.size = static_cast<uint32_t>(bytes_.size() - entry.offset);
    for (size_t i = 0; i < 8; ++i) {
      const uint64_t byte = i < entry.size ? static_cast<unsigned char>(bytes_[entry.offset + i]) : 0;
      entry.head |= byte << (56 - 8 * i);
    }
    entries_.push_back(entry);
  }
}

// Equal heads mean the shorter key, when one is no longer than the head,
// is a prefix of the other (the head is padded with zero bytes). Rows that
// tie on every key stand in walk order, then in the order they stood in.
bool TableOrder::before(const Entry& a, const Entry& b) const {
  if (a.head != b.head) return a.head < b.head;
  if (a.size > 8 && b.size > 8) {
    const int c = compareKeys(std::string_view(bytes_.data() + a.offset + 8, a.size - 8),
                              std::string_view(bytes_.data() + b.offset + 8, b.size - 8));
    if (c != 0) return c < 0;
  } else if (a.size != b.size) {
    return a.size < b.size;
  }
  if (a.sequence != b.sequence) return a.sequence < b.sequence;
  return a.row < b.row;
}

void TableOrder::sort(RecordTable& table) {
  entries_.clear();
  bytes_.clear();
  addKeys(table, 0);
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].row = static_cast<uint32_t>(i);
  std::sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) { return before(a, b); });
  std::vector<int> order(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) order[i] = static_cast<int>(entries_[i].row);
  table.reorder(std::move(order));
}

// The new rows, sorted, are merged in from the back: every kept row moves
// at most once, in one pass down the table, rather than along the cycles
// of a permutation, which jump about a big table.
void TableOrder::merge(RecordTable& table, int kept) {
  // Keys that do not match the kept rows would misplace them.
  if (kept < 0 || static_cast<size_t>(kept) != entries_.size() || kept > table.count()) {
    sort(table);
    return;
  }
  addKeys(table, kept);
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].row = static_cast<uint32_t>(i);
  std::vector<Entry> added(entries_.begin() + kept, entries_.end());
  std::sort(added.begin(), added.end(), [this](const Entry& a, const Entry& b) { return before(a, b); });
  std::vector<ComponentRecord> addedRows;
  addedRows.reserve(added.size());
  for (const Entry& entry : added) addedRows.push_back(std::move(table.at(static_cast<int>(entry.row))));

  int from = kept - 1;
  int to = table.count() - 1;
  for (int next = static_cast<int>(added.size()) - 1; next >= 0; --to) {
    // A kept row stays before a new one it ties with.
    if (from >= 0 && before(added[static_cast<size_t>(next)], entries_[static_cast<size_t>(from)])) {
      table.at(to) = std::move(table.at(from));
      entries_[static_cast<size_t>(to)] = entries_[static_cast<size_t>(from)];
      --from;
    } else {
      table.at(to) = std::move(addedRows[static_cast<size_t>(next)]);
      entries_[static_cast<size_t>(to)] = added[static_cast<size_t>(next)];
      --next;
    }
  }
}

}  // namespace comptab
