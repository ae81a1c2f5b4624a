#include "output/reference_list.h"

#include <charconv>

namespace comptab {

namespace {

// A range wider than this is left as written: no real line has one, and a
// hostile one must not make a million names.
constexpr long kMaxRange = 100000;

// "R12" as prefix "R" and number 12; false without trailing digits.
bool splitNumber(std::string_view name, std::string_view& prefix, long& number) {
  size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  if (digits == name.size() || name.size() - digits > 9) return false;
  prefix = name.substr(0, digits);
  const auto [end, ec] = std::from_chars(name.data() + digits, name.data() + name.size(), number);
  return ec == std::errc();
}

void addItem(std::string_view item, std::string_view rangeChar, std::vector<std::string>& out) {
  if (item.empty()) return;
  if (!rangeChar.empty()) {
    const size_t at = item.find(rangeChar);
    std::string_view firstPrefix, lastPrefix;
    long first = 0, last = 0;
    if (at != std::string_view::npos && splitNumber(item.substr(0, at), firstPrefix, first) &&
        splitNumber(item.substr(at + rangeChar.size()), lastPrefix, last) && firstPrefix == lastPrefix &&
        first < last && last - first <= kMaxRange) {
      for (long n = first; n <= last; ++n) out.push_back(std::string(firstPrefix) + std::to_string(n));
      return;
    }
  }
  out.emplace_back(item);
}

}  // namespace

void splitReferences(std::string_view cell, std::string_view token, std::string_view rangeChar,
                     std::vector<std::string>& out) {
  if (token.empty()) {
    addItem(cell, rangeChar, out);
    return;
  }
  size_t start = 0;
  while (start <= cell.size()) {
    const size_t end = cell.find(token, start);
    addItem(cell.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), rangeChar, out);
    if (end == std::string_view::npos) break;
    start = end + token.size();
  }
}

}  // namespace comptab
