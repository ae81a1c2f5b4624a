// How many columns a text takes on screen, for padding and cutting table
// cells: a character of a UTF-8 text is one column, an East Asian wide one
// two, a combining mark none.
#pragma once

#include <cstddef>
#include <string_view>

namespace comptab {

// The columns `text` takes. A byte that does not start a valid UTF-8
// character counts as one column of its own, so a text in another
// encoding still measures as its bytes do.
size_t displayWidth(std::string_view text);

// The length in bytes of the longest start of `text` that takes at most
// `columns` columns. It never ends inside a character, and keeps the
// combining marks of the last character it holds.
size_t fittingPrefix(std::string_view text, size_t columns);

}  // namespace comptab
