#include "platform/sheet/component_split.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace comptab {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// What the skim of a nested value stops at.
enum : unsigned char { kOther, kQuote, kOpen, kClose };

constexpr std::array<unsigned char, 256> kStops = [] {
  std::array<unsigned char, 256> stops{};
  stops['"'] = kQuote;
  stops['{'] = stops['['] = kOpen;
  stops['}'] = stops[']'] = kClose;
  return stops;
}();

}  // namespace

void ComponentSplit::skipSpace() {
  while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
}

// From the opening quote to after the closing one. Most texts of a sheet
// are a few bytes long: a plain loop finds their end sooner than a call
// to memchr would.
bool ComponentSplit::skipString() {
  const char* p = text_.data() + at_ + 1;
  const char* const end = text_.data() + text_.size();
  while (p < end) {
    const char c = *p;
    if (c == '"') {
      at_ = static_cast<size_t>(p + 1 - text_.data());
      return true;
    }
    p += c == '\\' ? 2 : 1;
  }
  return false;
}

bool ComponentSplit::skipValue() {
  if (at_ >= text_.size()) return false;
  const char c = text_[at_];
  if (c == '"') return skipString();
  if (c != '{' && c != '[') {  // a number or a word
    const size_t start = at_;
    while (at_ < text_.size() && !isSpace(text_[at_]) && text_[at_] != ',' && text_[at_] != ']' &&
           text_[at_] != '}')
      ++at_;
    return at_ > start;
  }
  // Only quotes, backslashes and brackets matter; 16 bytes at a time are
  // searched for them where the machine can, and each found is taken in
  // turn, with the state of being inside a text or not.
  const char* const base = text_.data();
  const size_t size = text_.size();
  size_t depth = 0;
  bool inString = false;
  size_t escaped = 0;  // a backslash makes the byte at this place plain
  const auto take = [&](size_t at) {
    const char b = base[at];
    if (at == escaped && at != 0) return false;
    if (inString) {
      if (b == '\\') escaped = at + 1;
      else if (b == '"') inString = false;
      return false;
    }
    switch (kStops[static_cast<unsigned char>(b)]) {
      case kQuote:
        inString = true;
        return false;
      case kOpen:
        ++depth;
        return false;
      case kClose:
        return --depth == 0;
      default:
        return false;
    }
  };
  size_t at = at_;
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i slash = _mm_set1_epi8('\\');
  const __m128i braceOpen = _mm_set1_epi8('{');
  const __m128i braceClose = _mm_set1_epi8('}');
  const __m128i bracketOpen = _mm_set1_epi8('[');
  const __m128i bracketClose = _mm_set1_epi8(']');
  for (; at + 16 <= size; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + at));
    const __m128i found = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, slash)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, braceOpen), _mm_cmpeq_epi8(bytes, braceClose))),
        _mm_or_si128(_mm_cmpeq_epi8(bytes, bracketOpen), _mm_cmpeq_epi8(bytes, bracketClose)));
    for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(found)); bits != 0; bits &= bits - 1) {
      const size_t place = at + static_cast<size_t>(__builtin_ctz(bits));
      if (take(place)) {
        at_ = place + 1;
        return true;
      }
    }
  }
#endif
  for (; at < size; ++at) {
    const char b = base[at];
    if ((b == '\\' || kStops[static_cast<unsigned char>(b)] != kOther) && take(at)) {
      at_ = at + 1;
      return true;
    }
  }
  return false;
}

bool ComponentSplit::findArray() {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
  skipSpace();
  if (at_ >= text_.size() || text_[at_] != '{') return false;
  ++at_;
  for (;;) {
    skipSpace();
    if (at_ >= text_.size() || text_[at_] != '"') return false;
    const size_t key = at_ + 1;
    if (!skipString()) return false;
    const std::string_view name = text_.substr(key, at_ - 1 - key);
    skipSpace();
    if (at_ >= text_.size() || text_[at_] != ':') return false;
    ++at_;
    skipSpace();
    if (name == "components") {
      if (at_ >= text_.size() || text_[at_] != '[') return false;
      open_ = at_++;
      return true;
    }
    if (!skipValue()) return false;
    skipSpace();
    if (at_ >= text_.size() || text_[at_] != ',') return false;
    ++at_;
  }
}

bool ComponentSplit::next(std::string_view& component) {
  skipSpace();
  if (at_ >= text_.size()) return false;
  if (text_[at_] == ']') {
    close_ = at_;
    return false;
  }
  if (!first_) {
    if (text_[at_] != ',') return false;
    ++at_;
    skipSpace();
  }
  first_ = false;
  const size_t start = at_;
  if (!skipValue()) return false;
  component = text_.substr(start, at_ - start);
  return true;
}

}  // namespace comptab
