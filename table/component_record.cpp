#include "table/component_record.h"

#include "platform/pattern.h"

namespace comptab {

PropertyNode& ComponentRecord::setProperty(std::string_view name, PropertyText value) {
  if (!properties_) properties_ = std::make_shared<PropertyList>();
  if (PropertyNode* node = properties_->find(name)) {
    node->setValue(value);
    return *node;
  }
  return properties_->append(name, value);
}

PropertyNode* ComponentRecord::findProperty(std::string_view name) {
  return properties_ ? properties_->find(name) : nullptr;
}

const PropertyNode* ComponentRecord::findProperty(std::string_view name) const {
  return properties_ ? properties_->find(name) : nullptr;
}

PropertyText ComponentRecord::value(std::string_view name) const {
  const PropertyNode* node = findProperty(name);
  return node ? node->text() : std::nullopt;
}

bool ComponentRecord::matchProperty(std::string_view name, std::string_view pattern,
                                    PatternCache& patterns) const {
  if (const PropertyNode* node = findProperty(name)) return node->matches(name, pattern, patterns);
  return pattern.empty();
}

void ComponentRecord::clear() {
  // Empty the shared list in place so that every other holder sees the row
  // gone too, then let go of it: this row starts afresh with its own list.
  if (properties_) properties_->clear();
  properties_.reset();
  strings.clear();
  packagedFlag = 0;
  gateFlag = 0;
  partsFlag = 0;
  powerBoxFlag = 0;
  virtualGateFlag = 0;
}

const PropertyList& ComponentRecord::properties() const {
  static const PropertyList none;
  return properties_ ? *properties_ : none;
}

}  // namespace comptab
