#include "extract/group_rows.h"

#include <algorithm>
#include <deque>

#include "extract/first_row_index.h"
#include "platform/support/text.h"
#include "settings/settings.h"
#include "table/record_table.h"
#include "table/value_order.h"

namespace comptab {

namespace {

// Folds rows without touching them. A group's values are kept as lists of
// parts (views into the rows' own texts), grown as merging would grow the
// joined value of the first row, and tidied once at the end: a group of
// many rows then costs a part per row and property instead of a longer
// and longer text, and the rows can serve the next table unchanged.
class Grouper {
 public:
  Grouper(const Settings& settings, const RecordTable& rows, const GroupKeys& keys);
  void add(int row);
  void write(RecordTable& grouped);

 private:
  // One property of a group: the value merging would have made so far.
  // Its text is the parts joined by the delimiter; an empty value has none.
  struct Value {
    std::vector<std::string_view> parts;
    size_t length = 0;  // of the joined text
    uint32_t order = 0;  // place in the group's list
    uint32_t seen = 0;
    bool present = false;
    bool joined = false;  // two parts or more, now or before repeats went
    // Longer than any row's value, the joined text can equal none again:
    // only which parts it holds matters from then on, so repeats can go.
    bool settled = false;
    size_t tidyAt = 0;
  };
  struct Group {
    int head = 0;
    // Empty until a second row joins: most groups of a fine key hold one.
    std::vector<Value> values;
    uint32_t names = 0;
    RowFlags flags;
  };

  bool kept(NameId name) const { return keep_.empty() || (name < keep_.size() && keep_[name]); }
  bool byMeaning(NameId name) const { return name < meaning_.size() && meaning_[name]; }
  // The row's key text for key `k`: its own text, or for a key folded by
  // meaning and a text that is a value, a text that stands for the value.
  std::string_view keyText(size_t k, std::string_view text);
  Value& valueOf(Group& group, NameId name);
  void startValues(Group& group);
  void merge(Group& group, const ComponentRecord& row);
  void step(const Group& group, Value& value, PropertyText text, std::span<const uint32_t> joins);
  void settle(const Group& group, Value& value);
  size_t longestOf(const Group& group, const Value& value) const {
    const NameId name = slotNames_[static_cast<size_t>(&value - group.values.data())];
    return name < longest_.size() ? longest_[name] : 0;
  }
  void addName(Group& group, Value& value, PropertyText text, std::span<const uint32_t> joins);
  void setEmptyText(Value& value);
  void appendParts(Value& value, PropertyText text, std::span<const uint32_t> joins);
  void push(Value& value, std::string_view text);
  bool sameText(const Value& value, std::string_view text) const;
  bool sameKey(int group, std::span<const std::string_view> key) const;
  uint64_t hashOf(std::span<const std::string_view> key) const;
  void writeValue(PropertyList& list, NameId name, std::string_view text, std::span<const uint32_t> joins);
  void writeParts(PropertyList& list, NameId name);

  const Settings& settings_;
  const RecordTable& rows_;
  std::vector<NameId> keyNames_;
  std::vector<bool> keep_;
  std::vector<bool> meaning_;         // by name: a key folded by meaning
  std::vector<bool> meaningKey_;      // by key place
  std::deque<std::string> meanings_;  // the texts keyText made; keys_ views them
  std::vector<Group> groups_;
  // The key of each group, keyNames_.size() texts a group: a row's own
  // texts, or the empty-cell text once merging has put it there.
  std::vector<std::string_view> keys_;
  FirstRowIndex index_;
  std::vector<int> slotOf_;  // by name: the place of its value in a group
  std::vector<NameId> slotNames_;
  // By name: the longest value a row has, which a settled value is longer
  // than.
  std::vector<size_t> longest_;
  std::vector<std::string_view> scratch_;
  std::vector<std::string_view> rowKey_;
  std::vector<char> hadKey_;
  std::vector<uint32_t> joins_;
  std::string joined_;
  uint32_t stamp_ = 0;
};

Grouper::Grouper(const Settings& settings, const RecordTable& rows, const GroupKeys& keys)
    : settings_(settings), rows_(rows) {
  keyNames_.push_back(internName(keys.keyName));
  for (const std::string& name : keys.alsoKeys) keyNames_.push_back(internName(name));
  if (keys.kept != nullptr)
    for (const NameId name : *keys.kept) {
      if (name >= keep_.size()) keep_.resize(name + 1, false);
      keep_[name] = true;
    }
  meaningKey_.assign(keyNames_.size(), false);
  for (const std::string& name : keys.byMeaning) {
    const NameId id = internName(name);
    if (id >= meaning_.size()) meaning_.resize(id + 1, false);
    meaning_[id] = true;
    for (size_t k = 0; k < keyNames_.size(); ++k)
      if (keyNames_[k] == id) meaningKey_[k] = true;
  }
  rowKey_.resize(keyNames_.size());
  hadKey_.resize(keyNames_.size());
  for (int r = 0; r < rows.count(); ++r) {
    const PropertyList& list = rows[r].properties();
    for (size_t i = 0; i < list.size(); ++i) {
      const NameId name = list.nameId(i);
      if (name >= longest_.size()) longest_.resize(name + 1, 0);
      longest_[name] = std::max(longest_[name], list.text(i).value_or("").size());
    }
  }
}

uint64_t Grouper::hashOf(std::span<const std::string_view> key) const {
  KeyHash hash;
  for (const std::string_view text : key) hash.add(text);
  return hash.value();
}

bool Grouper::sameKey(int group, std::span<const std::string_view> key) const {
  const size_t width = keyNames_.size();
  return std::equal(key.begin(), key.end(), keys_.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(group) * width));
}

std::string_view Grouper::keyText(size_t k, std::string_view text) {
  if (!meaningKey_[k]) return text;
  const std::optional<double> meaning = valueMeaning(text);
  if (!meaning) return text;
  // A control character first: no property text of a design is taken for
  // a value's; the hexadecimal form is exact, so equal values, equal texts.
  meanings_.push_back(strprintf("\x1f%a", *meaning));
  return meanings_.back();
}

void Grouper::add(int r) {
  const ComponentRecord& row = rows_[r];
  for (size_t k = 0; k < keyNames_.size(); ++k) rowKey_[k] = keyText(k, row.value(keyNames_[k]).value_or(""));
  const uint64_t hash = hashOf(rowKey_);
  const int target = index_.first(hash, [&](int g) { return sameKey(g, rowKey_); });
  if (target < 0) {
    const int g = static_cast<int>(groups_.size());
    Group& group = groups_.emplace_back();
    group.head = r;
    group.flags = row.flags;
    keys_.insert(keys_.end(), rowKey_.begin(), rowKey_.end());
    index_.open(g, hash);
    return;
  }

  Group& group = groups_[static_cast<size_t>(target)];
  if (group.values.empty()) startValues(group);
  // A group without a key property that takes in a row with an empty one
  // shows the empty-cell text from then on: only rows of that text join it
  // later, and rows without the key start a group of their own.
  bool rekeyed = false;
  std::string_view* key = keys_.data() + static_cast<size_t>(target) * keyNames_.size();
  for (size_t k = 0; k < keyNames_.size(); ++k) hadKey_[k] = valueOf(group, keyNames_[k]).present;
  merge(group, row);
  for (size_t k = 0; k < keyNames_.size(); ++k) {
    if (hadKey_[k] || !valueOf(group, keyNames_[k]).present || key[k] == settings_.emptyCell) continue;
    key[k] = settings_.emptyCell;
    rekeyed = true;
  }
  if (rekeyed) index_.open(target, hashOf(std::span<const std::string_view>(key, keyNames_.size())));
}

Grouper::Value& Grouper::valueOf(Group& group, NameId name) {
  if (name >= slotOf_.size()) slotOf_.resize(name + 1, -1);
  int& slot = slotOf_[name];
  if (slot < 0) {
    slot = static_cast<int>(slotNames_.size());
    slotNames_.push_back(name);
  }
  if (group.values.size() <= static_cast<size_t>(slot)) group.values.resize(slotNames_.size());
  return group.values[static_cast<size_t>(slot)];
}

void Grouper::startValues(Group& group) {
  const PropertyList& list = rows_[group.head].properties();
  group.values.resize(slotNames_.size());
  for (size_t i = 0; i < list.size(); ++i) {
    if (!kept(list.nameId(i))) continue;
    Value& value = valueOf(group, list.nameId(i));
    value.present = true;
    value.order = group.names++;
    appendParts(value, list.text(i), list.joins(i));
  }
}

// As ComponentRecord::merge: a value the row does not share gets the row's
// value joined on; a property only the row has is added.
void Grouper::merge(Group& group, const ComponentRecord& row) {
  ++stamp_;
  const PropertyList& list = row.properties();
  for (size_t i = 0; i < list.size(); ++i) {
    if (!kept(list.nameId(i))) continue;
    Value& value = valueOf(group, list.nameId(i));
    value.seen = stamp_;
    // The row's spelling of a value folded by meaning means what the
    // group's first one does: the first stays.
    if (byMeaning(list.nameId(i))) continue;
    if (value.present)
      step(group, value, list.text(i), list.joins(i));
    else
      addName(group, value, list.text(i), list.joins(i));
  }
  for (Value& value : group.values)
    if (value.present && value.seen != stamp_ &&
        !byMeaning(slotNames_[static_cast<size_t>(&value - group.values.data())]))
      step(group, value, std::nullopt, {});
  group.flags.takeSet(row.flags);
}

void Grouper::step(const Group& group, Value& value, PropertyText text, std::span<const uint32_t> joins) {
  const size_t length = text ? text->size() : 0;
  if (value.length == length && (length == 0 || sameText(value, *text))) return;
  if (value.length == 0) setEmptyText(value);
  value.length += settings_.token.size();
  if (isEmptyValue(text)) {
    push(value, settings_.emptyCell);
    value.length += settings_.emptyCell.size();
  } else {
    appendParts(value, text, joins);
  }
  settle(group, value);
}

void Grouper::addName(Group& group, Value& value, PropertyText text, std::span<const uint32_t> joins) {
  value.present = true;
  value.order = group.names++;
  setEmptyText(value);
  if (isEmptyValue(text)) return;
  value.length += settings_.token.size();
  appendParts(value, text, joins);
  settle(group, value);
}

void Grouper::settle(const Group& group, Value& value) {
  if (value.settled || value.length <= longestOf(group, value)) return;
  value.settled = true;
  value.tidyAt = std::max<size_t>(64, value.parts.size() * 2);
}

void Grouper::setEmptyText(Value& value) {
  value.parts.clear();
  value.joined = false;
  push(value, settings_.emptyCell);
  value.length = settings_.emptyCell.size();
}

void Grouper::appendParts(Value& value, PropertyText text, std::span<const uint32_t> joins) {
  if (!text) return;
  value.length += text->size();
  if (joins.empty()) return push(value, *text);
  scratch_.clear();
  splitAtJoins(*text, joins, settings_.token.size(), scratch_);
  for (const std::string_view part : scratch_) push(value, part);
}

void Grouper::push(Value& value, std::string_view text) {
  value.parts.push_back(text);
  if (value.parts.size() < 2) return;
  value.joined = true;
  if (!value.settled || value.parts.size() < value.tidyAt) return;
  // A value of a big group (a zone, a part name) gets the same few parts
  // from thousands of rows.
  const size_t before = value.parts.size();
  dropRepeatedParts(value.parts);
  // Parts that hardly repeat (references) are not worth looking at again.
  value.tidyAt = value.parts.size() * 2 > before ? SIZE_MAX : std::max<size_t>(64, value.parts.size() * 2);
}

// Whether the value's joined text is `text`; the lengths are the same.
bool Grouper::sameText(const Value& value, std::string_view text) const {
  const std::string_view delimiter = settings_.token;
  size_t at = 0;
  for (size_t p = 0; p < value.parts.size(); ++p) {
    if (p > 0) {
      if (text.substr(at, delimiter.size()) != delimiter) return false;
      at += delimiter.size();
    }
    const std::string_view part = value.parts[p];
    if (text.substr(at, part.size()) != part) return false;
    at += part.size();
  }
  return at == text.size();
}

void Grouper::writeValue(PropertyList& list, NameId name, std::string_view text, std::span<const uint32_t> joins) {
  const size_t at = list.add(name, joins.empty() ? text : std::string_view());
  if (!joins.empty()) list.setJoined(at, text, joins);
}

// The parts in scratch_, tidied as normalise would, written as one value.
void Grouper::writeParts(PropertyList& list, NameId name) {
  tidyParts(scratch_, nameText(name), settings_.emptyCell, settings_.mergedProp);
  joinParts(scratch_, settings_.token, joined_, joins_);
  writeValue(list, name, joined_, joins_);
}

void Grouper::write(RecordTable& grouped) {
  const Settings& s = settings_;
  const NameId referenceName = internName("reference");
  const NameId countName = internName("_REFCOUNT");
  std::vector<const Value*> order;
  for (Group& group : groups_) {
    const ComponentRecord& head = rows_[group.head];
    ComponentRecord& out = grouped.at(grouped.count());
    out.assign(head);
    out.flags = group.flags;
    PropertyList& list = out.freshProperties();
    if (group.values.empty()) {
      const PropertyList& own = head.properties();
      for (size_t i = 0; i < own.size(); ++i) {
        if (!kept(own.nameId(i))) continue;
        const PropertyText text = own.text(i);
        if (isEmptyValue(text)) {
          writeValue(list, own.nameId(i), s.emptyCell, {});
        } else if (own.joins(i).empty()) {
          writeValue(list, own.nameId(i), *text, {});
        } else {
          scratch_.clear();
          splitAtJoins(*text, own.joins(i), s.token.size(), scratch_);
          writeParts(list, own.nameId(i));
        }
      }
    } else {
      order.assign(group.names, nullptr);
      for (const Value& value : group.values)
        if (value.present) order[value.order] = &value;
      for (const Value* value : order) {
        const NameId name = slotNames_[static_cast<size_t>(value - group.values.data())];
        if (value->length == 0) {
          writeValue(list, name, s.emptyCell, {});
        } else if (!value->joined) {
          writeValue(list, name, value->parts.front(), {});
        } else {
          scratch_.assign(value->parts.begin(), value->parts.end());
          writeParts(list, name);
        }
      }
    }
    const size_t at = list.find(referenceName);
    const std::string_view references = at != PropertyList::npos ? list.text(at).value_or("") : "";
    const auto others = s.token.empty() ? 0 : std::count(references.begin(), references.end(), s.token.front());
    out.setProperty(countName, decimalText(static_cast<long long>(others) + 1));
  }
}

}  // namespace

void groupRowsInto(const Settings& settings, const RecordTable& rows, RecordTable& grouped, const GroupKeys& keys) {
  Grouper grouper(settings, rows, keys);
  for (int r = 0; r < rows.count(); ++r) grouper.add(r);
  grouper.write(grouped);
}

int referenceCountRows(const Settings& settings, RecordTable& table, std::optional<std::string_view> keyName,
                       std::span<const std::string> alsoKeys) {
  if (!keyName) return 0;
  RecordTable grouped;
  groupRowsInto(settings, table, grouped, GroupKeys{.keyName = *keyName, .alsoKeys = alsoKeys});
  table.replaceWith(grouped);
  return 1;
}

int partNameRows(const Settings& settings, RecordTable& table) {
  return referenceCountRows(settings, table, "partName") != 0 ? 1 : 0;
}

}  // namespace comptab
