#include "output/json_text.h"

#include <cmath>
#include <cstdio>

namespace comptab {

namespace {

// The length of the UTF-8 sequence that starts `text` at `i`, or 0 when
// the bytes there are not one.
size_t sequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  else
    return 0;
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  // Overlong forms, surrogates and code points past U+10FFFF.
  if (lead == 0xE0 && byte(i + 1) < 0xA0) return 0;
  if (lead == 0xED && byte(i + 1) >= 0xA0) return 0;
  if (lead == 0xF0 && byte(i + 1) < 0x90) return 0;
  if (lead == 0xF4 && byte(i + 1) >= 0x90) return 0;
  return length;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
          } else {
            out += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    const size_t length = sequenceLength(text, i);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    // U+2028 and U+2029 are E2 80 A8 and E2 80 A9.
    if (length == 3 && c == 0xE2 && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xA8) {
      out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  out += '"';
}

void appendJsonNumber(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%.3f", value);
  if (n <= 0) return;
  std::string_view text(buffer, static_cast<size_t>(n));
  while (text.back() == '0') text.remove_suffix(1);
  if (text.back() == '.') text.remove_suffix(1);
  if (text == "-0") text = "0";
  out.append(text);
}

}  // namespace comptab
