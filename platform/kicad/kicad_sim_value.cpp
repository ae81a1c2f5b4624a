#include "platform/kicad/kicad_sim_value.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace comptab {

namespace {

constexpr int kMaxExponent = 100000;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Only digits and dots: KiCad takes it as it is, without reading it.
bool plainDecimal(std::string_view text) {
  for (const char c : text)
    if (c != '.' && !isDigit(c)) return false;
  return true;
}

struct SpiceNumber {
  std::string_view significand;  // may be "-" alone, which reads as 0
  int exponent = 0;              // of the "e" part and the prefix together
};

size_t digitsAt(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && isDigit(text[end])) ++end;
  return end - at;
}

// [sign] digits [. [digits]] | . digits | . | "-", then [e [sign] [digits]],
// then a SPICE prefix (f p n u meg m k g t, any case), then letters (a
// unit, ignored), and nothing else. Nullopt when it is no such number or
// has no significand.
std::optional<SpiceNumber> readSpiceNumber(std::string_view text) {
  SpiceNumber out;
  size_t at = 0;
  size_t sign = at < text.size() && (text[at] == '+' || text[at] == '-') ? 1 : 0;
  if (const size_t n = digitsAt(text, at + sign); n > 0) {
    at += sign + n;
    if (at < text.size() && text[at] == '.') at += 1 + digitsAt(text, at + 1);
  } else if (at < text.size() && text[at] == '.') {
    at += 1 + digitsAt(text, at + 1);
  } else if (at < text.size() && text[at] == '-') {
    at = 1;
  }
  out.significand = text.substr(0, at);
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    size_t p = at + 1;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    const size_t n = digitsAt(text, p);
    // An "e" without digits parses, but its exponent does not read.
    if (n == 0) return std::nullopt;
    int exponent = 0;
    const char* first = text.data() + at + 1;
    if (*first == '+') ++first;
    if (std::from_chars(first, text.data() + p + n, exponent).ec != std::errc()) return std::nullopt;
    // Past a few hundred the value is inf or 0 anyway; the bound keeps the
    // prefix's power from overflowing the sum.
    out.exponent = std::clamp(exponent, -kMaxExponent, kMaxExponent);
    at = p + n;
  }
  static constexpr struct {
    std::string_view prefix;
    int exponent;
  } kPrefixes[] = {{"f", -15}, {"p", -12}, {"n", -9}, {"u", -6}, {"meg", 6},
                   {"m", -3},  {"k", 3},   {"g", 9},  {"t", 12}};
  for (const auto& [prefix, exponent] : kPrefixes) {
    if (text.size() - at < prefix.size()) continue;
    bool same = true;
    for (size_t i = 0; i < prefix.size(); ++i) same = same && lower(text[at + i]) == prefix[i];
    if (!same) continue;
    out.exponent += exponent;
    at += prefix.size();
    break;
  }
  while (at < text.size() && isAlpha(text[at])) ++at;
  if (at != text.size() || out.significand.empty()) return std::nullopt;
  return out;
}

// The SI prefix for a power of ten, and the power it stands for. KiCad
// gives -15 to "a" (as 1000a), so "f" starts at -14.
std::string_view siPrefix(int exponent, int& reduction) {
  static constexpr struct {
    int from;
    int to;  // inclusive
    int power;
    std::string_view prefix;
  } kRanges[] = {{-18, -15, -18, "a"}, {-14, -13, -15, "f"}, {-12, -10, -12, "p"}, {-9, -7, -9, "n"},
                 {-6, -4, -6, "u"},    {-3, -1, -3, "m"},    {0, 2, 0, ""},         {3, 5, 3, "k"},
                 {6, 8, 6, "M"},       {9, 11, 9, "G"},      {12, 14, 12, "T"},     {15, 17, 15, "P"},
                 {18, 21, 18, "E"}};
  for (const auto& range : kRanges) {
    if (exponent < range.from || exponent > range.to) continue;
    reduction = range.power;
    return range.prefix;
  }
  reduction = 0;
  return "";
}

}  // namespace

std::string kicadSpiceToSi(std::string_view value) {
  if (value.find(',') == std::string_view::npos && plainDecimal(value)) return std::string(value);
  std::string text(value);
  for (char& c : text)
    if (c == ',') c = '.';
  const std::optional<SpiceNumber> number = readSpiceNumber(text);
  if (!number) return std::string(value);
  // strtod reads what the grammar let through ("1.", ".5", "+3"); "-"
  // alone reads as nothing, which KiCad takes as 0.
  const std::string significandText(number->significand);
  char* end = nullptr;
  double significand = std::strtod(significandText.c_str(), &end);
  if (end == significandText.c_str()) significand = 0;
  int reduction = 0;
  const std::string_view prefix = siPrefix(number->exponent, reduction);
  const double scaled = significand * std::pow(10.0, number->exponent - reduction);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", scaled);
  return std::string(buffer) + std::string(prefix);
}

std::string kicadDropMeg(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    // One match takes the character before "Meg" and the one after it, so
    // two matches never share a character (as a regex's global replace).
    if (i + 4 <= text.size() && !(text[i] >= 'a' && text[i] <= 'z') && text[i + 1] == 'M' &&
        (text[i + 2] == 'e' || text[i + 2] == 'E') && (text[i + 3] == 'g' || text[i + 3] == 'G') &&
        (i + 4 == text.size() || !(text[i + 4] >= 'a' && text[i + 4] <= 'z'))) {
      out += text[i];
      out += 'M';
      if (i + 4 < text.size()) out += text[i + 4];
      i += 5;
      continue;
    }
    out += text[i];
    ++i;
  }
  return out;
}

}  // namespace comptab
