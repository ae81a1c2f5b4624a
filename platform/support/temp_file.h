// A fresh temporary file for output that has no name of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace comptab {

// Creates an empty file named <prefix><unique part> in $TMPDIR (or /tmp)
// atomically, so no other process can have picked the same name, and
// returns its path. The file is left in place for the caller.
std::optional<std::string> createTempFile(std::string_view prefix);

}  // namespace comptab
