#include "platform/support/json_syntax.h"

#include <vector>

#include "platform/support/text.h"

namespace comptab {

std::string textPosition(std::string_view text, size_t offset) {
  size_t line = 1;
  size_t lineStart = 0;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return strprintf("line %zu, column %zu", line, offset - lineStart + 1);
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

}  // namespace comptab
