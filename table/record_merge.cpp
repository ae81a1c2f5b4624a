// Merging rows into one and tidying the merged values: the steps that gate
// packaging and reference counting build on.
#include <algorithm>

#include "table/component_record.h"
#include "table/sort_order.h"

namespace comptab {

namespace {

std::string_view orEmptyText(PropertyText value, std::string_view emptyText) {
  return isEmptyValue(value) ? emptyText : *value;
}

// An empty field shows as a delimiter at either end or two in a row. Only
// the first delimiter character counts here, although splitting uses all.
bool hasEmptyField(std::string_view text, char delimiter) {
  const char twice[] = {delimiter, delimiter};
  return text.front() == delimiter || text.back() == delimiter ||
         text.find(std::string_view(twice, 2)) != std::string_view::npos;
}

void splitInto(std::string_view text, std::string_view delimiter,
               std::vector<std::string_view>& parts) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(delimiter, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

bool ComponentRecord::merge(std::string_view keyName, const ComponentRecord& other,
                            std::string_view emptyText, std::string_view delimiter) {
  if (!sameValue(value(keyName), other.value(keyName))) return false;

  const PropertyList& theirs = other.properties();
  std::string merged;
  if (properties_) {
    PropertyList& mine = *properties_;
    for (size_t i = 0; i < mine.size(); ++i) {
      PropertyNode& node = mine[i];
      const PropertyNode* match = theirs.find(node.name(), i);
      const PropertyText their = match ? match->text() : std::nullopt;
      if (sameValue(node.text(), their)) continue;
      // In place: a group of many rows grows one value row by row, and
      // copying it whole at each step would cost the square of its length.
      if (isEmptyValue(node.text())) node.setValue(emptyText);
      node.appendValue(delimiter);
      node.appendValue(orEmptyText(their, emptyText));
    }
  }

  // By index: appending to this row's list must not disturb the walk, even
  // should both rows hold the same list.
  for (size_t j = 0; j < theirs.size(); ++j) {
    const PropertyNode& node = theirs[j];
    if (properties_ && properties_->find(node.name(), j)) continue;
    merged.assign(emptyText);
    if (!isEmptyValue(node.text())) {
      merged.append(delimiter);
      merged.append(*node.value());
    }
    setProperty(node.name(), merged);
  }

  if (other.packagedFlag) packagedFlag = other.packagedFlag;
  if (other.gateFlag) gateFlag = other.gateFlag;
  if (other.partsFlag) partsFlag = other.partsFlag;
  if (other.powerBoxFlag) powerBoxFlag = other.powerBoxFlag;
  if (other.virtualGateFlag) virtualGateFlag = other.virtualGateFlag;
  return true;
}

void ComponentRecord::normalise(std::string_view emptyText, std::string_view delimiter,
                                std::string_view mixedText) {
  if (!properties_) return;
  PropertyList& list = *properties_;
  std::vector<std::string_view> parts;
  std::string joined;
  for (size_t i = 0; i < list.size(); ++i) {
    PropertyNode& node = list[i];
    parts.clear();
    const PropertyText value = node.text();
    if (isEmptyValue(value)) {
      parts.push_back(emptyText);
    } else {
      if (emptyText.empty() && !delimiter.empty() && hasEmptyField(*value, delimiter.front()))
        parts.push_back(std::string_view());
      splitInto(*value, delimiter, parts);
      // Repeats are identical texts, so which copy survives does not matter.
      std::sort(parts.begin(), parts.end());
      parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    }

    if (parts.size() >= 2) {
      if (!mixedText.empty() && node.name() != "reference") {
        parts.assign(1, mixedText);
      } else {
        sortState().partEmptyText = std::string(emptyText);
        std::sort(parts.begin(), parts.end(),
                  [](std::string_view a, std::string_view b) { return compareParts(a, b) < 0; });
      }
    }

    joined.clear();
    for (size_t p = 0; p < parts.size(); ++p) {
      if (p > 0) joined.append(delimiter);
      joined.append(parts[p]);
    }
    node.setValue(joined);
  }
}

}  // namespace comptab
