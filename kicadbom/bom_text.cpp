#include "kicadbom/bom_text.h"
#include "platform/support/text.h"

#include <cstdint>
#include <cstdlib>

namespace comptab {

namespace {

bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool isDigitByte(char c) { return c >= '0' && c <= '9'; }
char32_t upperAscii(char32_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
char32_t lowerAscii32(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

std::u32string decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (i + n > text.size()) n = 1;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1Fu) : n == 3 ? (b & 0x0Fu) : (b & 0x07u);
    for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    out.push_back(c);
    i += n;
  }
  return out;
}

std::string encode(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

constexpr char32_t kMicroSign = 0xB5;   // µ
constexpr char32_t kGreekMu = 0x3BC;    // μ

// IEC 60062 writes the unit prefix in place of the decimal point: "4k7".
bool isInfixSeparator(char32_t c) {
  switch (c) {
    case 'p': case 'n': case kMicroSign: case kGreekMu: case 'u': case 'm': case 'L': case 'R': case 'F':
    case 'k': case 'K': case 'M': case 'G': case 'T':
      return true;
    default:
      return false;
  }
}

bool sameNoCase(std::u32string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii32(a[i]) != lowerAscii32(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::u32string_view trimRight(std::u32string_view text) {
  while (!text.empty() && (text.back() == ' ' || (text.back() >= '\t' && text.back() <= '\r')))
    text.remove_suffix(1);
  return text;
}

// A prefix letter and a known unit (or nothing) after the number; scales
// `value` and says whether the ending was one.
bool applyModifier(double& value, std::u32string_view ending) {
  if (ending.empty()) return false;
  static const std::u32string kModifiers = U"afpnu\u00B5\u03BCmLRFkKMGTPE";
  char32_t modifier = ' ';
  std::u32string_view units;
  if (kModifiers.find(ending[0]) != std::u32string::npos) {
    modifier = ending[0];
    units = trimRight(ending.substr(1));
  } else {
    units = trimRight(ending);
  }
  if (!units.empty() && !sameNoCase(units, "F") && !sameNoCase(units, "hz") && !sameNoCase(units, "W") &&
      !sameNoCase(units, "V") && !sameNoCase(units, "A") && !sameNoCase(units, "H"))
    return false;
  switch (modifier) {
    case 'a': value *= 1.0e-18; break;
    case 'f': value *= 1.0e-15; break;
    case 'p': value *= 1.0e-12; break;
    case 'n': value *= 1.0e-9; break;
    case 'u': case kMicroSign: case kGreekMu: value *= 1.0e-6; break;
    case 'm': case 'L': value *= 1.0e-3; break;
    case 'k': case 'K': value *= 1.0e3; break;
    case 'M': value *= 1.0e6; break;
    case 'G': value *= 1.0e9; break;
    case 'T': value *= 1.0e12; break;
    case 'P': value *= 1.0e15; break;
    case 'E': value *= 1.0e18; break;
    default: break;
  }
  return true;
}

void replaceAll(std::u32string& text, char32_t from, std::u32string_view to) {
  std::u32string out;
  for (char32_t c : text) {
    if (c == from)
      out.append(to);
    else
      out.push_back(c);
  }
  text = std::move(out);
}

// Which of '.' and ',' is the decimal point and which groups thousands, read
// from the digits themselves where they tell; the other is dropped.
void convertSeparators(std::u32string& value) {
  replaceAll(value, ' ', U"");
  char32_t ambiguous = '?', thousands = '?', decimal = '?';
  bool thousandsFound = false, decimalFound = false;
  int digits = 0;
  for (long ii = static_cast<long>(value.size()) - 1; ii >= 0; --ii) {
    const char32_t c = value[static_cast<size_t>(ii)];
    if (isDigit(c)) {
      digits += 1;
    } else if (c == '.' || c == ',') {
      if (decimal != '?' || thousands != '?') {
        if (c == decimal) {
          if (thousandsFound || decimalFound) return;
          decimalFound = true;
        } else if (c == thousands) {
          if (digits != 3) return;
          thousandsFound = true;
        }
      } else if (ambiguous != '?') {
        if (c == ambiguous) {
          thousands = ambiguous;
          thousandsFound = true;
          decimal = c == '.' ? ',' : '.';
        } else {
          decimal = ambiguous;
          decimalFound = true;
          thousands = c;
          thousandsFound = true;
        }
      } else if ((ii == 1 && value[0] == '0') || digits != 3) {
        decimal = c;
        decimalFound = true;
        thousands = c == '.' ? ',' : '.';
      } else {
        ambiguous = c;
      }
      digits = 0;
    } else {
      digits = 0;
    }
  }
  if (decimal == '?' && thousands == '?') {
    decimal = '.';
    thousands = ',';
  }
  replaceAll(value, thousands, U"");
  replaceAll(value, decimal, U".");
}

// The keys' texts are lower-cased when made, so bytes compare them.
int compareBytes(std::string_view a, std::string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b, bool ignoreCase) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t c1 = static_cast<unsigned char>(a[i]);
    char32_t c2 = static_cast<unsigned char>(b[j]);
    if (isDigit(c1) && isDigit(c2)) {
      // KiCad adds the digits up in an int; long runs wrap as they do there.
      uint32_t n1 = 0, n2 = 0;
      do n1 = n1 * 10 + static_cast<uint32_t>(a[i++] - '0');
      while (i < a.size() && isDigitByte(a[i]));
      do n2 = n2 * 10 + static_cast<uint32_t>(b[j++] - '0');
      while (j < b.size() && isDigitByte(b[j]));
      const auto s1 = static_cast<int32_t>(n1), s2 = static_cast<int32_t>(n2);
      if (s1 != s2) return s1 < s2 ? -1 : 1;
      c1 = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
      c2 = j < b.size() ? static_cast<unsigned char>(b[j]) : 0;
    }
    if (ignoreCase) {
      if (c1 != c2) {
        const char32_t u1 = upperAscii(c1), u2 = upperAscii(c2);
        if (u1 != u2) return u1 < u2 ? -1 : 1;
      }
    } else if (c1 != c2) {
      return c1 < c2 ? -1 : 1;
    }
    if (i < a.size()) ++i;
    if (j < b.size()) ++j;
  }
  if (i == a.size() && j != b.size()) return -1;
  if (i != a.size() && j == b.size()) return 1;
  return 0;
}

ValueKey valueKey(std::string_view text) {
  const std::u32string s = decode(text);
  std::u32string begin, digits, end;
  long ii = static_cast<long>(s.size()) - 1;
  while (ii >= 0 && !isDigit(s[static_cast<size_t>(ii)])) --ii;
  if (ii < 0) {
    begin = s;
  } else {
    end = s.substr(static_cast<size_t>(ii) + 1);
    const long position = ii + 1;
    char32_t infix = 0;
    for (; ii >= 0; --ii) {
      const char32_t c = s[static_cast<size_t>(ii)];
      if (isDigit(c)) continue;
      if (infix == 0 && isInfixSeparator(c)) {
        infix = c;
        continue;
      }
      if (c == '.' || c == ',') continue;
      break;
    }
    if (ii < 0) {
      digits = s.substr(0, static_cast<size_t>(position));
    } else {
      digits = s.substr(static_cast<size_t>(ii) + 1, static_cast<size_t>(position - ii - 1));
      begin = s.substr(0, static_cast<size_t>(ii) + 1);
    }
    if (infix != 0) {
      replaceAll(digits, infix, U".");
      end.insert(end.begin(), infix);
    }
  }
  ValueKey key;
  for (char32_t& c : begin) c = lowerAscii32(c);
  key.begin = encode(begin);
  convertSeparators(digits);
  const std::string number = encode(digits);
  key.number = number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
  key.endIsModifier = applyModifier(key.number, end);
  for (char32_t& c : end) c = lowerAscii32(c);
  key.end = encode(end);
  return key;
}

int compareValueKeys(const ValueKey& a, const ValueKey& b) {
  const int first = compareBytes(a.begin, b.begin);
  if (first != 0) return first;
  if (a.number > b.number) return 1;
  if (a.number < b.number) return -1;
  if (!a.endIsModifier && !b.endIsModifier) return compareBytes(a.end, b.end);
  return 0;
}

SplitReference splitReference(std::string_view reference) {
  SplitReference split;
  split.digits = "?";
  if (reference.empty()) return split;
  long ll = static_cast<long>(reference.size()) - 1;
  const char last = reference.back();
  if (last == '?') {
    split.prefix = reference.substr(0, reference.size() - 1);
    return split;
  }
  split.prefix = reference;
  if (!isDigitByte(last)) return split;
  while (ll >= 0) {
    const char c = reference[static_cast<size_t>(ll)];
    if (static_cast<unsigned char>(c) <= ' ' || isDigitByte(c)) {
      --ll;
      continue;
    }
    const auto start = static_cast<size_t>(ll) + 1;
    if (isDigitByte(reference[start])) {
      split.number = std::strtol(std::string(reference.substr(start)).c_str(), nullptr, 10);
      split.digits = reference.substr(start);
    }
    split.prefix = reference.substr(0, start);
    break;
  }
  return split;
}

std::string unitLetter(int unit) {
  std::string suffix;
  if (unit < 1) return suffix;
  do {
    const int u = (unit - 1) % 26;
    suffix.insert(suffix.begin(), static_cast<char>('A' + u));
    unit = (unit - u) / 26;
  } while (unit > 0);
  return suffix;
}

std::string referenceRanges(const std::vector<const SplitReference*>& refs, std::string_view delimiter,
                            std::string_view rangeDelimiter) {
  std::string out;
  size_t i = 0;
  while (i < refs.size()) {
    const SplitReference& first = *refs[i];
    size_t range = 1;
    while (i + range < refs.size() && refs[i + range]->prefix == first.prefix &&
           refs[i + range]->number == first.number + static_cast<long>(range)) {
      ++range;
      if (range == 2 && rangeDelimiter.empty()) break;
    }
    if (!out.empty()) out += delimiter;
    out += first.prefix;
    out += first.digits;
    if (range == 2 || (range > 2 && rangeDelimiter.empty())) {
      out += delimiter;
      out += refs[i + 1]->prefix;
      out += refs[i + 1]->digits;
    } else if (range > 2) {
      out += rangeDelimiter;
      out += refs[i + range - 1]->prefix;
      out += refs[i + range - 1]->digits;
    }
    i += range;
  }
  return out;
}

bool wildcardFound(std::string_view pattern, std::string_view text) {
  const std::u32string p = decode(pattern), t = decode(text);
  // The usual greedy glob with one backtrack point; a leading and trailing
  // '*' make it a search.
  for (size_t start = 0; start <= t.size(); ++start) {
    size_t pi = 0, ti = start;
    size_t starP = std::u32string::npos, starT = 0;
    for (;;) {
      if (pi == p.size()) return true;  // the rest of the text may follow
      if (p[pi] == '*') {
        starP = pi++;
        starT = ti;
        continue;
      }
      if (ti < t.size() && (p[pi] == '?' || p[pi] == t[ti])) {
        ++pi;
        ++ti;
        continue;
      }
      if (starP == std::u32string::npos || starT >= t.size()) break;
      pi = starP + 1;
      ti = ++starT;
    }
    if (starP != std::u32string::npos) return false;  // a star already tried every later start
  }
  return false;
}

}  // namespace comptab
