// KiCad's text variables: "${NAME}" in a field's text stands for what
// `lookup` gives NAME; a name it does not know stays as written. A value
// may itself hold variables, expanded in turn a few levels deep (a
// variable naming itself stops there).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace comptab {

// False when `name` is no variable `lookup` knows.
using KicadVarLookup = std::function<bool(std::string_view name, std::string& value)>;

std::string expandKicadTextVars(std::string_view text, const KicadVarLookup& lookup);

}  // namespace comptab
