// Finds where a JSON text's brackets go wrong, for error messages: the JSON
// parser says that the structure is wrong but not where.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// "line L, column C" of a byte offset (both counted from 1, columns in bytes).
std::string textPosition(std::string_view text, size_t offset);

// A closing bracket that matches nothing, or an object or array that is
// still open at the end of the text, with its place; empty when the
// brackets balance.
std::string locateStructureError(std::string_view text);

// The first place where the text stops being JSON, checked token by token
// (a missing or extra comma, a word that is not a value, a bad escape):
// the JSON parser tells what kind of fault but not where. `offset` is the
// byte where the fault was seen; `what` is empty when the text is JSON as
// far as this check goes.
struct GrammarFault {
  size_t offset = 0;
  std::string what;
};
GrammarFault locateGrammarError(std::string_view text);

}  // namespace comptab
