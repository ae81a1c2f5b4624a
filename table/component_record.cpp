#include "table/component_record.h"

#include "platform/support/pattern.h"

namespace comptab {

void ComponentRecord::setProperty(NameId name, PropertyText value) {
  if (!properties_) properties_ = std::make_shared<PropertyList>();
  if (const size_t i = properties_->find(name); i != PropertyList::npos)
    properties_->set(i, value);
  else
    properties_->add(name, value);
}

PropertyText ComponentRecord::value(std::string_view name) const {
  if (!properties_) return std::nullopt;
  const size_t i = properties_->find(name);
  return i != PropertyList::npos ? properties_->text(i) : std::nullopt;
}

bool ComponentRecord::matchProperty(std::string_view name, std::string_view pattern,
                                    PatternCache& patterns) const {
  if (!properties_) return pattern.empty();
  const size_t i = properties_->find(name);
  return i != PropertyList::npos ? properties_->matches(i, pattern, patterns) : pattern.empty();
}

void ComponentRecord::clearFields() {
  strings.clear();
  flags = {};
  sequence = 0;
  perDestination = false;
}

void ComponentRecord::clear() {
  // Empty the shared list in place so that every other holder sees the row
  // gone too, then let go of it: this row starts afresh with its own list.
  if (properties_) properties_->clear();
  properties_.reset();
  clearFields();
}

void ComponentRecord::restart() {
  if (properties_ && properties_.use_count() == 1)
    properties_->reset();
  else
    properties_.reset();
  clearFields();
}

const PropertyList& ComponentRecord::noProperties() {
  static const PropertyList none;
  return none;
}

}  // namespace comptab
