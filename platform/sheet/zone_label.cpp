#include "platform/sheet/zone_label.h"

#include <cstdint>
#include <limits>

namespace comptab {

namespace {

constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();

bool allOf(std::string_view label, char low, char high) {
  if (label.empty()) return false;
  for (char c : label)
    if (c < low || c > high) return false;
  return true;
}

// Reads the label as a number in `base`, each character worth
// (c - zero); -1 once the value passes the 32-bit range, so that a label of
// any length is safe.
int toNumber(std::string_view label, int base, char zero) {
  int64_t value = 0;
  for (char c : label) {
    value = value * base + (c - zero);
    if (value > kLargest) return -1;
  }
  return static_cast<int>(value);
}

}  // namespace

int ZoneLabel::style(std::string_view label) {
  if (allOf(label, 'A', 'Z')) return Alphabetic;
  if (allOf(label, '0', '9')) return Numeric;
  return Neither;
}

int ZoneLabel::alpha2num(std::string_view label) {
  // Bijective base 26: the letters are worth 1 to 26, there is no zero digit.
  return style(label) == Alphabetic ? toNumber(label, 26, 'A' - 1) : -1;
}

std::string ZoneLabel::num2alpha(int number) {
  std::string label;
  while (number > 0) {
    const int letter = (number - 1) % 26;
    label.insert(label.begin(), static_cast<char>('A' + letter));
    number = (number - 1) / 26;
  }
  return label;
}

int ZoneLabel::digit2num(std::string_view label) { return style(label) == Numeric ? toNumber(label, 10, '0') : -1; }

std::string ZoneLabel::num2digit(int number) { return number < 0 ? "" : std::to_string(number); }

std::string ZoneLabel::advance(std::string_view first, int index) {
  if (index < 0) return "";
  switch (style(first)) {
    case Alphabetic: {
      const int start = alpha2num(first);
      if (start < 0 || start > kLargest - index) return "";
      return num2alpha(start + index);
    }
    case Numeric: {
      const int start = digit2num(first);
      if (start < 0 || start > kLargest - index) return "";
      return num2digit(start + index);
    }
    default:
      return "";
  }
}

}  // namespace comptab
