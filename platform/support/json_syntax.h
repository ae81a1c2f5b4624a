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

}  // namespace comptab
