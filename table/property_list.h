// The property list of a row: named text values in insertion order, with
// names unique within one list.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace comptab {

class PatternCache;

// A property value is absent (no value at all) or a text, which may be
// empty. The sort puts rows with an absent key first but compares an empty
// one as text, so the two must stay apart; every equality test, on the
// other hand, takes absent and empty as the same.
using PropertyValue = std::optional<std::string>;
using PropertyText = std::optional<std::string_view>;

// Absent and empty compare equal; otherwise the texts must be identical.
bool sameValue(PropertyText a, PropertyText b);
inline bool isEmptyValue(PropertyText v) { return !v || v->empty(); }

class PropertyNode {
 public:
  PropertyNode(std::string_view name, PropertyText value);

  const std::string& name() const { return name_; }
  const PropertyValue& value() const { return value_; }
  PropertyText text() const { return value_ ? PropertyText(*value_) : std::nullopt; }

  void set(std::string_view name, PropertyText value);
  void setValue(PropertyText value);
  // Adds `text` to the end of the value (an absent value becomes `text`).
  // Merging many rows into one grows a value piece by piece; appending
  // keeps that linear where rebuilding the whole value each time is not.
  void appendValue(std::string_view text);
  bool nameIs(std::string_view name) const { return name_ == name; }

  // An empty pattern matches an empty value; any other pattern is a regular
  // expression searched for in the value, and only under this node's name.
  bool matches(std::string_view name, std::string_view pattern, PatternCache& patterns) const;

 private:
  std::string name_;
  PropertyValue value_;
};

class PropertyList {
 public:
  // Nodes never move once appended, so a node handed out stays valid until
  // the list is cleared.
  using Nodes = std::deque<PropertyNode>;

  PropertyNode* find(std::string_view name);
  const PropertyNode* find(std::string_view name) const;
  // Looks at position `hint` first: rows built by the same code hold their
  // properties in the same order, so merging two of them finds each name
  // at once instead of walking the list.
  const PropertyNode* find(std::string_view name, size_t hint) const;

  PropertyNode& append(std::string_view name, PropertyText value);
  void clear() { nodes_.clear(); }

  size_t size() const { return nodes_.size(); }
  bool empty() const { return nodes_.empty(); }
  PropertyNode& operator[](size_t i) { return nodes_[i]; }
  const PropertyNode& operator[](size_t i) const { return nodes_[i]; }
  Nodes::const_iterator begin() const { return nodes_.begin(); }
  Nodes::const_iterator end() const { return nodes_.end(); }

 private:
  Nodes nodes_;
};

}  // namespace comptab
