#include "table/value_order.h"

#include <charconv>
#include <string>

#include "platform/support/name_order.h"

namespace comptab {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Takes `prefix` off the front of `text` when it is there.
bool take(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

std::string_view digitsAt(std::string_view& text) {
  size_t n = 0;
  while (n < text.size() && isDigit(text[n])) ++n;
  const std::string_view digits = text.substr(0, n);
  text.remove_prefix(n);
  return digits;
}

// The power of ten of a multiplier letter, or none. Only lower-case p and
// n: 1N4148 and 2N2222 are parts, not values.
std::optional<int> multiplier(std::string_view& text) {
  struct Prefix {
    std::string_view text;
    int exponent;
  };
  static constexpr Prefix kPrefixes[] = {
      {"p", -12}, {"n", -9},  {"u", -6},      {"U", -6},         {"\xC2\xB5", -6} /* µ micro sign */,
      {"\xCE\xBC", -6} /* μ Greek mu */,     {"m", -3},         {"k", 3},
      {"K", 3},   {"M", 6},   {"G", 9},      {"T", 12},
  };
  for (const Prefix& p : kPrefixes)
    if (take(text, p.text)) return p.exponent;
  return std::nullopt;
}

// A unit after the number: ohms (Ω as a letter or as the ohm sign, or R),
// farads, henries.
bool unit(std::string_view& text) {
  for (const std::string_view u : {"\xCE\xA9", "\xE2\x84\xA6", "R", "F", "H"})
    if (take(text, u)) return true;
  return false;
}

}  // namespace

std::optional<double> electricalValue(std::string_view text) {
  std::string_view rest = text;
  std::string_view whole = digitsAt(rest);
  std::string_view fraction;
  const bool point = take(rest, ".");
  if (point) fraction = digitsAt(rest);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  int exponent = 0;
  if (const std::optional<int> m = multiplier(rest)) {
    exponent = *m;
    // 4k7: the letter stands for the decimal point.
    if (!point) fraction = digitsAt(rest);
    unit(rest);
  } else if (take(rest, "R")) {
    // 4R7, 0R1, 10R: R is the point of a value in ohms.
    if (!point) fraction = digitsAt(rest);
  } else {
    unit(rest);
  }
  if (!rest.empty()) return std::nullopt;

  // Read as one decimal text, so that 4k7 and 4.7k give the same double.
  std::string number(whole.empty() ? std::string_view("0") : whole);
  number += '.';
  number += fraction.empty() ? std::string_view("0") : fraction;
  number += 'e';
  number += std::to_string(exponent);
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

std::optional<double> valueMeaning(std::string_view text) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return electricalValue(text);
  // One comma between digits is a decimal comma; any other comma makes a
  // text that is not one value ("1,2,3", "10k,").
  if (comma == 0 || comma + 1 >= text.size() || !isDigit(text[comma - 1]) || !isDigit(text[comma + 1]) ||
      text.find_first_of(",.", comma + 1) != std::string_view::npos ||
      text.substr(0, comma).find('.') != std::string_view::npos)
    return std::nullopt;
  std::string pointed(text);
  pointed[comma] = '.';
  return electricalValue(pointed);
}

int compareElectrical(std::string_view a, std::optional<double> aValue, std::string_view b,
                      std::optional<double> bValue) {
  if (aValue && bValue) {
    if (*aValue < *bValue) return -1;
    if (*bValue < *aValue) return 1;
  } else if (aValue || bValue) {
    return aValue ? -1 : 1;
  }
  return compareNames(a, b);
}

}  // namespace comptab
