#include "platform/support/text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <charconv>
#include <vector>

namespace comptab {

namespace {
char lowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

int compareNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(lowerChar(a[i]));
    const auto cb = static_cast<unsigned char>(lowerChar(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lowerChar(c);
  return out;
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperChar(c);
  return out;
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
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

namespace {

// The length of the valid UTF-8 sequence at `at`, or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
size_t utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  return length;
}

void appendEscaped(std::string& out, unsigned char byte) { out += strprintf("\\x%02X", byte); }

}  // namespace

std::string printableLine(std::string_view text, size_t maxBytes) {
  std::string out;
  out.reserve(text.size() < maxBytes ? text.size() : maxBytes);
  size_t at = 0;
  while (at < text.size() && at < maxBytes) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      if (byte < 0x20 || byte == 0x7F)
        appendEscaped(out, byte);
      else if (byte == '\\')
        out += "\\\\";
      else
        out += static_cast<char>(byte);
      ++at;
      continue;
    }
    const size_t length = utf8Length(text, at);
    if (length == 0) {
      appendEscaped(out, byte);
      ++at;
    } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
      // U+0080 to U+009F: C1 controls, which some terminals obey.
      appendEscaped(out, byte);
      appendEscaped(out, static_cast<unsigned char>(text[at + 1]));
      at += 2;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  if (at < text.size()) out += strprintf(" [cut: %zu bytes in all]", text.size());
  return out;
}

size_t editDistanceNoCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t change = diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({change, above + 1, row[j - 1] + 1});
      diagonal = above;
    }
  }
  return row[b.size()];
}

TextPlace textPlace(std::string_view text, size_t offset) {
  const std::string_view before = text.substr(0, offset);
  const size_t lineStart = before.rfind('\n');
  return {static_cast<size_t>(std::count(before.begin(), before.end(), '\n')) + 1,
          before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1};
}

}  // namespace comptab
