#include "platform/support/text.h"

#include <cstdarg>
#include <cstdio>
#include <charconv>

namespace comptab {

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

int compareNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string strprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  char small[256];
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string out;
  if (needed < 0) {
    va_end(copy);
    return out;
  }
  if (static_cast<size_t>(needed) < sizeof small) {
    out.assign(small, static_cast<size_t>(needed));
  } else {
    out.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(out.data(), out.size(), format, copy);
    out.resize(static_cast<size_t>(needed));
  }
  va_end(copy);
  return out;
}

std::string decimalText(long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string paddedDecimal(long long value, int width) {
  std::string text = decimalText(value);
  const size_t digitsAt = value < 0 ? 1 : 0;
  if (width > 0 && text.size() < static_cast<size_t>(width))
    text.insert(digitsAt, static_cast<size_t>(width) - text.size(), '0');
  return text;
}

std::string fixedText(double value, int decimals) {
  char buffer[400];  // the widest double in fixed notation has 309 digits before the point
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return strprintf("%.*f", decimals, value);
  return std::string(buffer, result.ptr);
}

void splitTextNumber(std::string_view text, std::string& textPart, std::string& numberPart) {
  size_t digit = 0;
  while (digit < text.size() && !(text[digit] >= '0' && text[digit] <= '9')) ++digit;
  textPart.assign(text.substr(0, digit));
  numberPart.assign(text.substr(digit));
}

bool parseInt(std::string_view text, int& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return false;
  value = parsed;
  return true;
}

}  // namespace comptab
