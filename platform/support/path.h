// Path operations on plain strings, with '/' as the separator.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// The kinds that pathKind() tells apart.
enum class PathKind { Missing = 0, Directory = 1, File = 2 };

// What the target test and the report second messages ask of a path.
enum class Access { Exists = 0, Writable = 2, Readable = 4 };

bool pathAccess(const std::string& path, Access mode);
PathKind pathKind(const std::string& path);
// True for an existing path that is not a directory and that we may read:
// what "can be read" means for an input file.
bool readableFile(const std::string& path);

// Joins with exactly one '/' between the parts; an empty side gives the other.
std::string joinPath(std::string_view dir, std::string_view name);
// Everything before the last '/', "." when there is none, "/" for the root.
std::string directoryPart(std::string_view path);
// The last component.
std::string baseName(std::string_view path);
// The suffix of the last component with its dot (".sht"), or "".
std::string pathSuffix(std::string_view path);
// Lexical normal form: no "." components, ".." folded where possible,
// no doubled or trailing separators.
std::string packPath(std::string_view path);
// An absolute, packed path (relative paths are taken from the current
// directory). Returns the packed input when the current directory is unknown.
std::string expandPath(std::string_view path);

}  // namespace comptab
