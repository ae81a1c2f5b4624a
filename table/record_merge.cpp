// Merging rows into one and tidying the merged values: the steps that gate
// packaging and reference counting build on.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>

#include "platform/support/name_order.h"
#include "table/component_record.h"
#include "table/sort_order.h"

namespace comptab {

// Without joins the value is a single part, whatever characters it holds.
void splitAtJoins(std::string_view text, std::span<const uint32_t> joins, size_t delimiterSize,
                  std::vector<std::string_view>& parts) {
  size_t start = 0;
  for (const uint32_t join : joins) {
    parts.push_back(text.substr(start, join - start));
    start = join + delimiterSize;
  }
  parts.push_back(text.substr(std::min(start, text.size())));
}

void joinParts(std::span<const std::string_view> parts, std::string_view delimiter, std::string& joined,
               std::vector<uint32_t>& joins) {
  joined.clear();
  joins.clear();
  for (size_t p = 0; p < parts.size(); ++p) {
    if (p > 0) {
      joins.push_back(static_cast<uint32_t>(joined.size()));
      joined.append(delimiter);
    }
    joined.append(parts[p]);
  }
}

// A group of many rows has thousands of parts, most of them repeats (a
// zone, a part name), so a hash of them beats sorting them all.
void dropRepeatedParts(std::vector<std::string_view>& parts) {
  if (parts.size() <= 32) {
    std::sort(parts.begin(), parts.end());
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    return;
  }
  size_t size = 64;
  while (size < parts.size() * 2) size *= 2;
  std::vector<uint32_t> slots(size, UINT32_MAX);  // index into the kept parts
  size_t kept = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string_view part = parts[i];
    size_t at = std::hash<std::string_view>()(part) & (size - 1);
    while (slots[at] != UINT32_MAX && parts[slots[at]] != part) at = (at + 1) & (size - 1);
    if (slots[at] != UINT32_MAX) continue;
    slots[at] = static_cast<uint32_t>(kept);
    parts[kept++] = part;
  }
  parts.resize(kept);
}

void tidyParts(std::vector<std::string_view>& parts, std::string_view name, std::string_view emptyText,
               std::string_view mixedText) {
  const bool mixed = !mixedText.empty() && name != "reference";
  // Rows sorted by reference bring their references in order already, and
  // parts in strict order hold no repeats (the part order is total: only
  // identical names compare equal, and the empty-cell text is first once).
  // The check runs over every part of a big group, so the empty-cell rule
  // is applied here once a part rather than through PartOrder.
  bool ordered = true;
  for (size_t i = 1; i < parts.size() && ordered; ++i)
    ordered = parts[i] != emptyText && ((i == 1 && parts[0] == emptyText) || compareNames(parts[i - 1], parts[i]) < 0);
  if (ordered) {
    if (mixed && parts.size() >= 2) parts.assign(1, mixedText);
    return;
  }
  dropRepeatedParts(parts);
  if (parts.size() < 2) return;
  if (mixed) {
    parts.assign(1, mixedText);
    return;
  }
  // Without repeats the parts come out in one order however they went in.
  std::sort(parts.begin(), parts.end(), PartOrder{emptyText});
}

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

  flags.takeSet(other.flags);
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
    tidyParts(parts, list.name(i), emptyText, mixedText);
    joinParts(parts, delimiter, joined, joins);
    list.setJoined(i, joined, joins);
  }
}

}  // namespace comptab
