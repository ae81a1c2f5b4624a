// Rows written as text, for the tests: "reference=R1 value= note" is a row
// with reference R1, an empty value and a note that has no value at all.
#pragma once

#include <string>
#include <string_view>

#include "table/component_record.h"

namespace comptab::test {

inline ComponentRecord makeRow(std::string_view text) {
  ComponentRecord row;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view p = text.substr(start, end - start);
    const size_t eq = p.find('=');
    if (eq == std::string_view::npos)
      row.setProperty(p, std::nullopt);
    else
      row.setProperty(p.substr(0, eq), p.substr(eq + 1));
    start = end + 1;
  }
  return row;
}

// The inverse of makeRow.
inline std::string describe(const ComponentRecord& row) {
  std::string text;
  const PropertyList& list = row.properties();
  for (size_t i = 0; i < list.size(); ++i) {
    if (!text.empty()) text += ' ';
    text += list.name(i);
    if (const PropertyText value = list.text(i)) text += '=' + std::string(*value);
  }
  return text;
}

}  // namespace comptab::test
