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

  // A row shares its list with itself: there is nothing to fold in.
  if (!sharesPropertiesWith(other)) {
    const PropertyList& theirs = other.properties();
    if (properties_) {
      PropertyList& mine = *properties_;
      for (size_t i = 0; i < mine.size(); ++i) {
        const size_t match = theirs.find(mine.nameId(i), i);
        const PropertyText their = match != PropertyList::npos ? theirs.text(match) : std::nullopt;
        if (sameValue(mine.text(i), their)) continue;
        // In place: a group of many rows grows one value row by row, and
        // copying it whole at each step would cost the square of its length.
        if (isEmptyValue(mine.text(i))) mine.set(i, emptyText);
        mine.appendText(i, delimiter);
        mine.appendText(i, orEmptyText(their, emptyText));
      }
    }

    std::string merged;
    for (size_t j = 0; j < theirs.size(); ++j) {
      if (properties_ && properties_->find(theirs.nameId(j), j) != PropertyList::npos) continue;
      merged.assign(emptyText);
      if (const PropertyText text = theirs.text(j); !isEmptyValue(text)) {
        merged.append(delimiter);
        merged.append(*text);
      }
      setProperty(theirs.nameId(j), merged);
    }
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
    parts.clear();
    const PropertyText value = list.text(i);
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
      if (!mixedText.empty() && list.name(i) != "reference") {
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
    list.set(i, joined);
  }
}

}  // namespace comptab
