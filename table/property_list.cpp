#include "table/property_list.h"

#include "platform/pattern.h"

namespace comptab {

bool sameValue(PropertyText a, PropertyText b) {
  return a.value_or(std::string_view()) == b.value_or(std::string_view());
}

PropertyNode::PropertyNode(std::string_view name, PropertyText value) : name_(name) {
  if (value) value_.emplace(*value);
}

void PropertyNode::set(std::string_view name, PropertyText value) {
  if (name_ != name) name_.assign(name);
  setValue(value);
}

void PropertyNode::setValue(PropertyText value) {
  if (!value) {
    value_.reset();
  } else if (!value_) {
    value_.emplace(*value);
  } else if (*value_ != *value) {
    value_->assign(*value);  // reuses the old buffer when it is big enough
  }
}

void PropertyNode::appendValue(std::string_view text) {
  if (!value_)
    value_.emplace(text);
  else
    value_->append(text);
}

bool PropertyNode::matches(std::string_view name, std::string_view pattern,
                           PatternCache& patterns) const {
  const std::string_view own = value_ ? std::string_view(*value_) : std::string_view();
  if (pattern.empty()) return own.empty();
  if (!nameIs(name)) return false;
  return patterns.get(pattern).matches(own);
}

PropertyNode* PropertyList::find(std::string_view name) {
  for (PropertyNode& node : nodes_)
    if (node.nameIs(name)) return &node;
  return nullptr;
}

const PropertyNode* PropertyList::find(std::string_view name) const {
  for (const PropertyNode& node : nodes_)
    if (node.nameIs(name)) return &node;
  return nullptr;
}

const PropertyNode* PropertyList::find(std::string_view name, size_t hint) const {
  if (hint < nodes_.size() && nodes_[hint].nameIs(name)) return &nodes_[hint];
  return find(name);
}

PropertyNode& PropertyList::append(std::string_view name, PropertyText value) {
  return nodes_.emplace_back(name, value);
}

}  // namespace comptab
