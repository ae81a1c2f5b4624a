#include "platform/sheet/component_split.h"

#include <array>
#include <cstring>

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

// From the opening quote to after the closing one: the first quote not
// escaped by an odd run of backslashes.
bool ComponentSplit::skipString() {
  const char* const begin = text_.data();
  size_t from = at_ + 1;
  for (;;) {
    const void* found = from < text_.size() ? std::memchr(begin + from, '"', text_.size() - from) : nullptr;
    if (found == nullptr) return false;
    const size_t quote = static_cast<size_t>(static_cast<const char*>(found) - begin);
    size_t slashes = 0;
    while (quote - slashes > at_ + 1 && begin[quote - slashes - 1] == '\\') ++slashes;
    from = quote + 1;
    if (slashes % 2 == 0) {
      at_ = from;
      return true;
    }
  }
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
  size_t depth = 0;
  while (at_ < text_.size()) {
    switch (kStops[static_cast<unsigned char>(text_[at_])]) {
      case kQuote:
        if (!skipString()) return false;
        continue;
      case kOpen:
        ++depth;
        break;
      case kClose:
        if (--depth == 0) {
          ++at_;
          return true;
        }
        break;
      default:
        break;
    }
    ++at_;
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
