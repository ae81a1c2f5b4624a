// One output row: a property list, the gate labels that packaging adds, and
// the flags that packaging reads.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "table/property_list.h"

namespace comptab {

class PatternCache;

// What the walk and packaging mark on a row; 0 is unset. A merged or
// grouped row has each flag that any of its rows set, the last one's value.
// A byte each: a table holds a row per component.
struct RowFlags {
  int8_t packaged = 0;     // gate packaging has handled the row
  int8_t gate = 0;         // component type: a gate
  int8_t parts = 0;        // component type: parts
  int8_t powerBox = 0;     // component type: a power box
  int8_t virtualGate = 0;  // isvGate YES: a gate that needs no component

  // Takes each flag that `other` has set.
  void takeSet(const RowFlags& other) {
    for (auto field :
         {&RowFlags::packaged, &RowFlags::gate, &RowFlags::parts, &RowFlags::powerBox, &RowFlags::virtualGate})
      if (other.*field != 0) this->*field = other.*field;
  }
};

// Copying a record (assign, or the copy operations, which are the same)
// shares its property list: rows move between tables by copying, and a
// change made through one holder is seen through every other. Only clear()
// empties the list, for every holder at once; the memory goes when the last
// holder lets go.
class ComponentRecord {
 public:
  void setProperty(std::string_view name, PropertyText value) { setProperty(internName(name), value); }
  void setProperty(NameId name, PropertyText value);
  bool hasProperty(std::string_view name) const { return properties_ && properties_->find(name) != PropertyList::npos; }
  // Absent when the row has no such property or it holds no value. The
  // text is good until the row changes.
  PropertyText value(std::string_view name) const;
  PropertyText value(NameId name) const {
    if (!properties_) return std::nullopt;
    const size_t i = properties_->find(name);
    return i != PropertyList::npos ? properties_->text(i) : std::nullopt;
  }
  // The value as a text of its own, an absent value as the empty text.
  std::string text(std::string_view name) const { return std::string(value(name).value_or("")); }

  // True when the row's property `name` matches `pattern` (see
  // PropertyList::matches); a row without the property matches only an
  // empty pattern.
  bool matchProperty(std::string_view name, std::string_view pattern, PatternCache& patterns) const;

  void assign(const ComponentRecord& other) { *this = other; }
  // Becomes a copy of `other` with a list of its own and no room to spare:
  // keepOnly for a row that holds nothing else.
  void assignOwnCopy(const ComponentRecord& other) {
    *this = other;
    if (properties_) properties_ = std::make_shared<PropertyList>(*properties_);
  }
  // Drops every property whose name `keep` does not hold. The row gets a
  // list of its own; other holders keep the whole one.
  void keepOnly(const std::vector<NameId>& keep) {
    if (properties_) properties_ = std::make_shared<PropertyList>(properties_->only(keep));
  }
  // See PropertyList::compact.
  void compact() {
    if (properties_) properties_->compact();
  }
  void clear();
  // Empties this row for the next one a loop makes in it: its list keeps
  // its room unless another row holds it too, which keeps it as it is.
  void restart();

  // Folds `other` into this row when both have the same `keyName` value:
  // a property whose values differ becomes "mine<delimiter>theirs", an
  // empty side written as `emptyText`; properties only `other` has are
  // added; `other`'s non-zero flags win. False, with nothing changed, when
  // the keys differ.
  bool merge(std::string_view keyName, const ComponentRecord& other, std::string_view emptyText,
             std::string_view delimiter);

  // Tidies every value that merging built: takes it apart where merging
  // joined it (never at a delimiter the values held themselves), drops
  // repeated parts and sorts the rest; several different
  // parts of a property other than "reference" become `mixedText` instead
  // when that is non-empty. An empty value becomes `emptyText`.
  void normalise(std::string_view emptyText, std::string_view delimiter, std::string_view mixedText);

  bool hasProperties() const { return properties_ && !properties_->empty(); }
  // Gives the row a copy of its list when another holder shares it, so
  // that what is set on the row from now on stays with the row.
  void ownProperties() {
    if (properties_ && properties_.use_count() > 1) properties_ = std::make_shared<PropertyList>(*properties_);
  }
  // An empty list of the row's own in place of the one it held (which its
  // other holders keep): for a row that folding builds anew.
  PropertyList& freshProperties() {
    properties_ = std::make_shared<PropertyList>();
    return *properties_;
  }
  // A sorted table reaches its rows' lists in no order of memory, each
  // through three allocations: a loop over many rows asks for the list of a
  // row some way ahead first, then for its values once the list is near,
  // so that the loads overlap instead of waiting one after the other.
  void prefetchList() const {
    const char* list = reinterpret_cast<const char*>(properties_.get());
    __builtin_prefetch(list);
    __builtin_prefetch(list + sizeof(PropertyList) - 1);
  }
  void prefetchValues() const {
    if (properties_) properties_->prefetchValues();
  }
  // The list, or an empty one when the row has none.
  const PropertyList& properties() const { return properties_ ? *properties_ : noProperties(); }
  // True when both rows hold the same list object.
  bool sharesPropertiesWith(const ComponentRecord& other) const {
    return properties_ && properties_ == other.properties_;
  }

  std::vector<std::string> strings;
  RowFlags flags;
  // The place of the row's component in the walk that made it: rows that
  // sort alike keep this order.
  uint32_t sequence = 0;
  // Made for one destination (through the component's variants), so it
  // may differ from table to table.
  bool perDestination = false;

 private:
  // Everything but the list back to a fresh row's.
  void clearFields();
  static const PropertyList& noProperties();
  std::shared_ptr<PropertyList> properties_;
};

// Drops repeated parts, keeping one of each in no particular order.
void dropRepeatedParts(std::vector<std::string_view>& parts);

// What normalise makes of the parts of one merged value: each once, in
// part order, or `mixedText` alone for several parts of a property other
// than "reference" when that is non-empty. `parts` is changed in place.
void tidyParts(std::vector<std::string_view>& parts, std::string_view name, std::string_view emptyText,
               std::string_view mixedText);

// The parts that merging joined in a value, each joining delimiter of
// `delimiterSize` bytes beginning at one of `joins`; appended to `parts`.
void splitAtJoins(std::string_view text, std::span<const uint32_t> joins, size_t delimiterSize,
                  std::vector<std::string_view>& parts);

// The reverse: `parts` joined by `delimiter` into `joined`, with where each
// delimiter begins in `joins`; both are emptied first.
void joinParts(std::span<const std::string_view> parts, std::string_view delimiter, std::string& joined,
               std::vector<uint32_t>& joins);

}  // namespace comptab
