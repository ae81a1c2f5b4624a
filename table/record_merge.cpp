// Merging rows into one and tidying the merged values: the steps that gate
// packaging and reference counting build on.
#include <algorithm>
#include <span>

#include "table/component_record.h"
#include "table/sort_order.h"

namespace comptab {

namespace {

// The parts that merging joined, each once. Without joins the value is a
// single part, whatever characters it holds.
void splitAtJoins(std::string_view text, std::span<const uint32_t> joins, size_t delimiterSize,
                  std::vector<std::string_view>& parts) {
  size_t start = 0;
  for (const uint32_t join : joins) {
    parts.push_back(text.substr(start, join - start));
    start = join + delimiterSize;
  }
  parts.push_back(text.substr(std::min(start, text.size())));
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
        if (isEmptyValue(their))
          mine.appendPart(i, delimiter, emptyText);
        else
          mine.appendPart(i, delimiter, *their, theirs.joins(match));
      }
    }

    for (size_t j = 0; j < theirs.size(); ++j) {
      if (properties_ && properties_->find(theirs.nameId(j), j) != PropertyList::npos) continue;
      if (!properties_) properties_ = std::make_shared<PropertyList>();
      const size_t added = properties_->add(theirs.nameId(j), emptyText);
      if (const PropertyText text = theirs.text(j); !isEmptyValue(text))
        properties_->appendPart(added, delimiter, *text, theirs.joins(j));
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
  std::vector<uint32_t> joins;
  for (size_t i = 0; i < list.size(); ++i) {
    const PropertyText value = list.text(i);
    if (isEmptyValue(value)) {
      list.set(i, emptyText);
      continue;
    }
    const std::span<const uint32_t> valueJoins = list.joins(i);
    if (valueJoins.empty()) continue;  // one part: nothing to tidy

    parts.clear();
    splitAtJoins(*value, valueJoins, delimiter.size(), parts);
    // Repeats are identical texts, so which copy survives does not matter.
    std::sort(parts.begin(), parts.end());
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
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
    joins.clear();
    for (size_t p = 0; p < parts.size(); ++p) {
      if (p > 0) {
        joins.push_back(static_cast<uint32_t>(joined.size()));
        joined.append(delimiter);
      }
      joined.append(parts[p]);
    }
    list.setJoined(i, joined, joins);
  }
}

}  // namespace comptab
