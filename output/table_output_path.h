// Where one table of a run goes when the output path names a file per
// destination.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// `path` with every "$DEST" replaced by `destination` (_TOBOARD for the
// board itself); a path without one is the file of every table.
std::string tableOutputPath(std::string_view path, std::string_view destination);

}  // namespace comptab
