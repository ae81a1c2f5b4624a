#include "platform/support/display_width.h"

#include <utf8proc.h>

namespace comptab {

namespace {

// The width and byte length of the character at the start of `text`.
struct Step {
  size_t columns;
  size_t bytes;
};

Step nextCharacter(std::string_view text) {
  const auto first = static_cast<unsigned char>(text.front());
  if (first < 0x80) return {1, 1};
  utf8proc_int32_t code = 0;
  const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  const utf8proc_ssize_t length = utf8proc_iterate(bytes, static_cast<utf8proc_ssize_t>(text.size()), &code);
  if (length <= 0) return {1, 1};
  const int width = utf8proc_charwidth(code);
  return {width > 0 ? static_cast<size_t>(width) : 0, static_cast<size_t>(length)};
}

}  // namespace

size_t displayWidth(std::string_view text) {
  size_t columns = 0;
  size_t i = 0;
  // Most cells are ASCII, where a byte is a column.
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  columns = i;
  while (i < text.size()) {
    const Step step = nextCharacter(text.substr(i));
    columns += step.columns;
    i += step.bytes;
  }
  return columns;
}

size_t fittingPrefix(std::string_view text, size_t columns) {
  size_t used = 0;
  size_t i = 0;
  while (i < text.size()) {
    const Step step = nextCharacter(text.substr(i));
    if (used + step.columns > columns) break;
    used += step.columns;
    i += step.bytes;
  }
  return i;
}

}  // namespace comptab
