#include "platform/support/json_syntax.h"

#include <vector>

#include "platform/support/text.h"

namespace comptab {

std::string textPosition(std::string_view text, size_t offset) {
  const TextPlace place = textPlace(text, offset);
  return strprintf("line %zu, column %zu", place.line, place.column);
}

std::string locateStructureError(std::string_view text) {
  std::vector<size_t> open;  // offsets of the brackets not yet closed
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    switch (c) {
      case '"':
        inString = true;
        break;
      case '{':
      case '[':
        open.push_back(i);
        break;
      case '}':
      case ']': {
        const char wanted = c == '}' ? '{' : '[';
        if (open.empty()) return strprintf("'%c' at %s closes nothing", c, textPosition(text, i).c_str());
        if (text[open.back()] != wanted)
          return strprintf("'%c' at %s does not close the '%c' at %s", c, textPosition(text, i).c_str(),
                           text[open.back()], textPosition(text, open.back()).c_str());
        open.pop_back();
        break;
      }
      default:
        break;
    }
  }
  if (open.empty()) return "";
  const size_t at = open.back();
  return strprintf("the %s opened at %s is not closed (is the file cut short?)", text[at] == '{' ? "object" : "array",
                   textPosition(text, at).c_str());
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Cursor over the text; every scan leaves `at` on the first byte it did not take.
struct Scanner {
  std::string_view text;
  size_t at = 0;

  void skipBlanks() {
    while (at < text.size() && isBlank(text[at])) ++at;
  }
  bool atEnd() const { return at >= text.size(); }
  char peek() const { return text[at]; }

  // A string from its opening quote; empty when it is well formed, else
  // `at` is left on the fault (on the opening quote when it is not closed).
  std::string string() {
    const size_t start = at++;
    while (at < text.size()) {
      const auto c = static_cast<unsigned char>(text[at]);
      if (c == '"') {
        ++at;
        return "";
      }
      if (c < 0x20) return "a string holds a control character that is not escaped (a line break inside quotes?)";
      if (c == '\\') {
        if (at + 1 >= text.size()) break;
        const char e = text[at + 1];
        if (std::string_view("\"\\/bfnrtu").find(e) == std::string_view::npos) {
          return strprintf("a string holds the escape '\\%c', which JSON does not have (write '\\\\' for a backslash)", e);
        }
        at += 2;
        continue;
      }
      ++at;
    }
    at = start;
    return "a string is not closed (is the file cut short?)";
  }

  std::string number() {
    if (text[at] == '-') ++at;
    const size_t digits = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    if (at == digits) return "a malformed number";
    if (text[digits] == '0' && at - digits > 1) return "a number with a leading zero";
    if (at < text.size() && text[at] == '.') {
      const size_t fraction = ++at;
      while (at < text.size() && isDigit(text[at])) ++at;
      if (at == fraction) return "a malformed number";
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
      ++at;
      if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
      const size_t exponent = at;
      while (at < text.size() && isDigit(text[at])) ++at;
      if (at == exponent) return "a malformed number";
    }
    return "";
  }

  std::string word() {
    for (std::string_view w : {"true", "false", "null"}) {
      if (text.substr(at, w.size()) == w) {
        at += w.size();
        return "";
      }
    }
    return "a word that is not true, false or null (is a text missing its quotes?)";
  }

  // A value other than an object or array; on a fault `at` is left where
  // a person should look: a string's bad byte, or the start of the token.
  std::string scalar() {
    const size_t start = at;
    const char c = peek();
    if (c == '"') return string();
    std::string what;
    if (c == '-' || isDigit(c))
      what = number();
    else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
      what = word();
    else
      what = strprintf("'%c' where a value should be", c);
    if (!what.empty()) at = start;
    return what;
  }
};

}  // namespace

GrammarFault locateGrammarError(std::string_view text) {
  enum class Want { Value, FirstKey, Key, Colon, CommaOrClose };
  Scanner in{text};
  std::vector<char> open;  // the brackets not yet closed
  Want want = Want::Value;
  size_t lastComma = 0;
  const auto fault = [&](size_t at, std::string what) { return GrammarFault{at, std::move(what)}; };
  if (text.substr(0, 3) == "\xEF\xBB\xBF") in.at = 3;
  while (true) {
    in.skipBlanks();
    if (in.atEnd()) {
      if (open.empty() && want == Want::CommaOrClose) return {};
      return fault(in.at, "the text ends before the document does (is the file cut short?)");
    }
    const size_t at = in.at;
    const char c = in.peek();
    switch (want) {
      case Want::Value:
        if (c == '{' || c == '[') {
          open.push_back(c);
          ++in.at;
          want = c == '{' ? Want::FirstKey : Want::Value;
          if (c == '[') {
            in.skipBlanks();
            if (!in.atEnd() && in.peek() == ']') {
              open.pop_back();
              ++in.at;
              want = Want::CommaOrClose;
            }
          }
          continue;
        }
        if (c == ']' && !open.empty() && open.back() == '[')
          return fault(lastComma, "an extra ',' after the last element of an array");
        if (std::string what = in.scalar(); !what.empty()) return fault(in.at, what);
        want = Want::CommaOrClose;
        continue;
      case Want::FirstKey:
      case Want::Key:
        if (c == '}') {
          if (want == Want::Key) return fault(lastComma, "an extra ',' after the last field of an object");
          open.pop_back();
          ++in.at;
          want = Want::CommaOrClose;
          continue;
        }
        if (c != '"') return fault(at, strprintf("'%c' where a field name in double quotes should be", c));
        if (std::string what = in.string(); !what.empty()) return fault(in.at, what);
        want = Want::Colon;
        continue;
      case Want::Colon:
        if (c != ':') return fault(at, strprintf("'%c' where the ':' after a field name should be", c));
        ++in.at;
        want = Want::Value;
        continue;
      case Want::CommaOrClose:
        if (open.empty()) return fault(at, "more text after the end of the document");
        if (c == ',') {
          lastComma = at;
          ++in.at;
          want = open.back() == '{' ? Want::Key : Want::Value;
          continue;
        }
        if ((c == '}' && open.back() == '{') || (c == ']' && open.back() == '[')) {
          open.pop_back();
          ++in.at;
          continue;
        }
        if (c == '}' || c == ']') return fault(at, strprintf("'%c' does not close the '%c' before it", c, open.back()));
        return fault(at, strprintf("a ',' is missing before '%c'", c));
    }
  }
}

}  // namespace comptab
