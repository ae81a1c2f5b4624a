// The property list of a row: named text values in insertion order, with
// names unique within one list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "table/property_name.h"

namespace comptab {

class PatternCache;

// A property value is absent (no value at all) or a text, which may be
// empty. The sort puts rows with an absent key first but compares an empty
// one as text, so the two must stay apart; every equality test, on the
// other hand, takes absent and empty as the same.
using PropertyText = std::optional<std::string_view>;

// Absent and empty compare equal; otherwise the texts must be identical.
bool sameValue(PropertyText a, PropertyText b);
inline bool isEmptyValue(PropertyText v) { return !v || v->empty(); }

// A table holds a row per component, so a row is kept small: its names are
// interned numbers and its values share one block of text. A value that
// merging grows piece by piece moves to a text of its own, where appending
// stays linear, and that text remembers where merging joined two parts, so
// that a delimiter character inside one part never splits it. A text handed
// out by text() is good until the list changes.
class PropertyList {
 public:
  static constexpr size_t npos = SIZE_MAX;

  PropertyList() = default;
  PropertyList(const PropertyList& other);
  PropertyList& operator=(const PropertyList& other);
  PropertyList(PropertyList&&) noexcept = default;
  PropertyList& operator=(PropertyList&&) noexcept = default;
  ~PropertyList() = default;

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  NameId nameId(size_t i) const { return entries_[i].name; }
  const std::string& name(size_t i) const { return nameText(entries_[i].name); }
  // The accessors below run for every property of every row in each fold
  // and lookup, so they live here where the compiler can inline them.
  PropertyText text(size_t i) const {
    const Entry& e = entries_[i];
    if (e.size == kAbsent) return std::nullopt;
    if (e.capacity == kOwnText) return std::string_view(extra_->ownTexts[e.offset].text);
    return std::string_view(bytes_.data() + e.offset, e.size);
  }

  // The position of the property, or npos.
  size_t find(NameId name) const {
    if (name >= kIndexed || !extra_) return scan(name);
    if (const uint8_t slot = extra_->slots[name]; slot != 0) return slot - 1u;
    // Only a list longer than the index reaches can hold the name unindexed.
    return entries_.size() > kIndexedPositions ? scan(name) : npos;
  }
  size_t find(std::string_view name) const;
  // Looks at position `hint` first: rows built by the same code hold their
  // properties in the same order, so merging two of them finds each name
  // at once instead of walking the list.
  size_t find(NameId name, size_t hint) const {
    if (hint < entries_.size() && entries_[hint].name == name) return hint;
    return find(name);
  }

  // Appends a property the list does not have yet; returns its position.
  size_t add(NameId name, PropertyText value);
  void set(size_t i, PropertyText value);
  // Adds `delimiter` and then `part` to the end of the value, remembering
  // the join; `partJoins` are the joins inside `part` itself (from
  // joins() of the list it comes from), kept as joins of this value.
  void appendPart(size_t i, std::string_view delimiter, std::string_view part,
                  std::span<const uint32_t> partJoins = {});
  // Where merging joined parts of value i: the offsets at which each
  // joining delimiter begins, in rising order. Empty for a value that was
  // never merged, which is by far the most common.
  std::span<const uint32_t> joins(size_t i) const {
    const Entry& e = entries_[i];
    if (e.capacity != kOwnText || e.size == kAbsent) return {};
    return extra_->ownTexts[e.offset].joins;
  }
  // Sets value i to parts already joined, with the joins between them.
  void setJoined(size_t i, std::string_view text, std::span<const uint32_t> joinOffsets);
  void clear();
  // Empties the list but keeps its room, for a list that is filled again
  // and again.
  void reset();
  // A list of this one's properties whose names `keep` holds, in this
  // list's order, with no room to spare.
  PropertyList only(const std::vector<NameId>& keep) const;
  // Gives back the room set aside for growth, once the list is complete: a
  // table keeps its rows until it is written.
  void compact();

  // Asks the processor for the entries and the value bytes ahead of a
  // read (see ComponentRecord::prefetchList).
  void prefetchValues() const {
    __builtin_prefetch(entries_.data());
    __builtin_prefetch(bytes_.data());
  }

  // An empty pattern matches an empty value; any other pattern is a regular
  // expression searched for in the value.
  bool matches(size_t i, std::string_view pattern, PatternCache& patterns) const;

 private:
  static constexpr uint32_t kAbsent = UINT32_MAX;
  static constexpr uint32_t kOwnText = UINT32_MAX;
  // A value lives at bytes_[offset, offset + size) with room for
  // `capacity` bytes, or, with capacity kOwnText, in ownTexts_[offset].
  // Size kAbsent marks an absent value.
  struct Entry {
    NameId name;
    uint32_t size;
    uint32_t offset;
    uint32_t capacity;
  };

  // A value of its own: a merged one, or one too large for the block.
  struct OwnText {
    std::string text;
    std::vector<uint32_t> joins;
  };

  void store(Entry& entry, std::string_view text);
  OwnText& ownText(Entry& entry);
  // Moves the value to a text of its own, where it can grow in place.
  OwnText& makeOwn(size_t i);
  size_t scan(NameId name) const;

  // Where the first few dozen names of the run stand in this list (position
  // + 1, 0 for none), so that finding them takes no walk: every row holds
  // the names extraction gives it, and those are met first. A list of a
  // few properties (a listing's row, kept to its columns) is scanned
  // instead, and has no index.
  static constexpr NameId kIndexed = 64;
  static constexpr size_t kIndexedPositions = 255;
  static constexpr size_t kScanned = 8;

  // What few lists need, kept apart so that a table of a million small
  // rows does not carry it: the index, and the texts of their own.
  struct Extra {
    uint8_t slots[kIndexed] = {};
    std::vector<OwnText> ownTexts;
  };
  Extra& extra();
  // Indexes the entries when the list has grown past kScanned.
  void index(size_t position);

  std::vector<Entry> entries_;
  std::string bytes_;
  std::unique_ptr<Extra> extra_;
};

}  // namespace comptab
