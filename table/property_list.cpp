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

// A copy of a short list without texts of its own needs no index, even
// when the original (a row filled again and again) has one.
PropertyList::PropertyList(const PropertyList& other) : entries_(other.entries_), bytes_(other.bytes_) {
  if (other.extra_ && (entries_.size() > kScanned || !other.extra_->ownTexts.empty()))
    extra_ = std::make_unique<Extra>(*other.extra_);
}

PropertyList& PropertyList::operator=(const PropertyList& other) {
  if (this != &other) *this = PropertyList(other);
  return *this;
}

// Made once, for good: from then on the index holds every entry.
PropertyList::Extra& PropertyList::extra() {
  if (!extra_) {
    extra_ = std::make_unique<Extra>();
    for (size_t i = 0; i < entries_.size(); ++i) index(i);
  }
  return *extra_;
}

void PropertyList::index(size_t position) {
  const NameId name = entries_[position].name;
  // A name met again keeps its first place, as find() would.
  if (name < kIndexed && position < kIndexedPositions && extra_->slots[name] == 0)
    extra_->slots[name] = static_cast<uint8_t>(position + 1);
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
  entries_.push_back(Entry{name, kAbsent, 0, 0});
  if (extra_)
    index(entries_.size() - 1);
  else if (entries_.size() > kScanned)
    extra();
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
    std::vector<OwnText>& own = extra().ownTexts;
    e.offset = static_cast<uint32_t>(own.size());
    own.push_back(OwnText{std::string(text), {}});
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
  return extra_->ownTexts[e.offset];
}

PropertyList::OwnText& PropertyList::makeOwn(size_t i) {
  Entry& e = entries_[i];
  if (e.capacity != kOwnText) {
    // Merging grows this value row by row: give it a text of its own so
    // that each step adds to it rather than copying it whole.
    std::string own(text(i).value_or(std::string_view()));
    e.capacity = kOwnText;
    std::vector<OwnText>& texts = extra().ownTexts;
    e.offset = static_cast<uint32_t>(texts.size());
    texts.push_back(OwnText{std::move(own), {}});
  } else if (e.size == kAbsent) {
    extra_->ownTexts[e.offset].text.clear();
    extra_->ownTexts[e.offset].joins.clear();
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
  entries_ = {};
  bytes_ = {};
  extra_.reset();
}

void PropertyList::reset() {
  entries_.clear();
  bytes_.clear();
  if (extra_) {
    std::fill(std::begin(extra_->slots), std::end(extra_->slots), uint8_t{0});
    extra_->ownTexts.clear();
  }
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
