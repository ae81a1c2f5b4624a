#include "table/property_list.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <functional>

#include "platform/support/pattern.h"

namespace comptab {

namespace {

// Room set aside for a row's first property: extraction gives a row a few
// dozen properties of short texts, so most rows never grow their storage.
constexpr size_t kFirstEntries = 40;
constexpr size_t kFirstBytes = 320;

// The shared block is addressed by 32-bit offsets; a value that would not
// fit below this limit gets a text of its own.
constexpr size_t kBlockLimit = UINT32_MAX - 1;

bool within(std::string_view text, const std::string& block) {
  const std::less<const char*> before;
  return !before(text.data(), block.data()) && before(text.data(), block.data() + block.size());
}

}  // namespace

bool sameValue(PropertyText a, PropertyText b) {
  return a.value_or(std::string_view()) == b.value_or(std::string_view());
}

size_t PropertyList::scan(NameId name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].name == name) return i;
  return npos;
}

size_t PropertyList::find(std::string_view name) const {
  const std::optional<NameId> id = knownName(name);
  return id ? find(*id) : npos;
}

size_t PropertyList::add(NameId name, PropertyText value) {
  if (entries_.capacity() == 0) {
    entries_.reserve(kFirstEntries);
    bytes_.reserve(kFirstBytes);
  }
  if (name < kIndexed && entries_.size() < kIndexedPositions) slots_[name] = static_cast<uint8_t>(entries_.size() + 1);
  entries_.push_back(Entry{name, kAbsent, 0, 0});
  if (value) store(entries_.back(), *value);
  return entries_.size() - 1;
}

void PropertyList::set(size_t i, PropertyText value) {
  Entry& e = entries_[i];
  if (!value) {
    e.size = kAbsent;
  } else if (e.capacity == kOwnText) {
    OwnText& own = ownText(e);
    own.text.assign(*value);
    own.joins.clear();
  } else if (e.size != kAbsent && text(i) == *value) {
    return;
  } else {
    store(e, *value);
  }
}

// Puts `text` in the entry's place when it fits, else at the end of the
// block (or in a text of its own when the block is full).
void PropertyList::store(Entry& e, std::string_view text) {
  if (text.size() <= e.capacity) {
    if (!text.empty()) std::memmove(bytes_.data() + e.offset, text.data(), text.size());
    e.size = static_cast<uint32_t>(text.size());
    return;
  }
  if (text.size() > kBlockLimit - bytes_.size()) {
    e.capacity = kOwnText;
    e.offset = static_cast<uint32_t>(ownTexts_.size());
    ownTexts_.push_back(OwnText{std::string(text), {}});
    e.size = 0;
    return;
  }
  const auto offset = static_cast<uint32_t>(bytes_.size());
  if (within(text, bytes_)) {
    const std::string copy(text);  // growing the block may move `text`
    bytes_.append(copy);
  } else {
    bytes_.append(text);
  }
  e.offset = offset;
  e.size = static_cast<uint32_t>(text.size());
  e.capacity = e.size;
}

PropertyList::OwnText& PropertyList::ownText(Entry& e) {
  e.size = 0;
  return ownTexts_[e.offset];
}

PropertyList::OwnText& PropertyList::makeOwn(size_t i) {
  Entry& e = entries_[i];
  if (e.capacity != kOwnText) {
    // Merging grows this value row by row: give it a text of its own so
    // that each step adds to it rather than copying it whole.
    std::string own(text(i).value_or(std::string_view()));
    e.capacity = kOwnText;
    e.offset = static_cast<uint32_t>(ownTexts_.size());
    ownTexts_.push_back(OwnText{std::move(own), {}});
  } else if (e.size == kAbsent) {
    ownTexts_[e.offset].text.clear();
    ownTexts_[e.offset].joins.clear();
  }
  return ownText(e);
}

void PropertyList::appendPart(size_t i, std::string_view delimiter, std::string_view part,
                              std::span<const uint32_t> partJoins) {
  OwnText& own = makeOwn(i);
  own.joins.push_back(static_cast<uint32_t>(own.text.size()));
  own.text.append(delimiter);
  const auto shift = static_cast<uint32_t>(own.text.size());
  own.text.append(part);
  for (const uint32_t join : partJoins) own.joins.push_back(shift + join);
}

void PropertyList::setJoined(size_t i, std::string_view text, std::span<const uint32_t> joinOffsets) {
  if (joinOffsets.empty()) {
    set(i, text);
    return;
  }
  OwnText& own = makeOwn(i);
  own.text.assign(text);
  own.joins.assign(joinOffsets.begin(), joinOffsets.end());
}

void PropertyList::clear() {
  // Give the memory back: a cleared row may be held on to for a while.
  std::fill(std::begin(slots_), std::end(slots_), uint8_t{0});
  entries_ = {};
  bytes_ = {};
  ownTexts_ = {};
}

void PropertyList::reset() {
  std::fill(std::begin(slots_), std::end(slots_), uint8_t{0});
  entries_.clear();
  bytes_.clear();
  ownTexts_.clear();
}

PropertyList PropertyList::only(const std::vector<NameId>& keep) const {
  std::vector<size_t> kept;
  size_t bytes = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (std::find(keep.begin(), keep.end(), entries_[i].name) == keep.end()) continue;
    kept.push_back(i);
    bytes += text(i).value_or(std::string_view()).size();
  }
  PropertyList list;
  list.entries_.reserve(kept.size());
  list.bytes_.reserve(bytes);
  for (const size_t i : kept) {
    const size_t at = list.add(entries_[i].name, text(i));
    if (const std::span<const uint32_t> j = joins(i); !j.empty()) list.setJoined(at, *text(i), j);
  }
  return list;
}

void PropertyList::compact() {
  entries_.shrink_to_fit();
  bytes_.shrink_to_fit();
}

bool PropertyList::matches(size_t i, std::string_view pattern, PatternCache& patterns) const {
  const std::string_view own = text(i).value_or(std::string_view());
  if (pattern.empty()) return own.empty();
  return patterns.get(pattern).matches(own);
}

}  // namespace comptab
