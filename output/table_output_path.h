// Where one table of a run goes when the output path names a file per
// destination.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace comptab {

// `path` with every "$DEST" replaced by `destination` (_TOBOARD for the
// board itself); a path without one is the file of every table.
std::string tableOutputPath(std::string_view path, std::string_view destination);

// True when `path` holds "$DEST", so that destination names become part of
// file names.
bool namesFilePerDestination(std::string_view path);

// Whether `destination` may stand for "$DEST" in a path: a name that is
// empty, is ".", or holds a '/', ".." or a NUL could put a table outside
// the folder the path names, or two tables in one file. False with the
// reason.
bool destinationFitsPath(std::string_view destination, std::string* reason);

// The first table whose file an earlier table of `paths` already took (two
// tables aimed at one file would leave only the last), or paths.size().
size_t firstSharedPath(const std::vector<std::string>& paths);

}  // namespace comptab
