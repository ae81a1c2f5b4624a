// Path operations on plain strings, with '/' as the separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace comptab {

// The kinds that pathKind() tells apart.
enum class PathKind { Missing = 0, Directory = 1, File = 2 };

// What the target test and the report second messages ask of a path.
enum class Access { Exists = 0, Writable = 2, Readable = 4 };

bool pathAccess(const std::string& path, Access mode);
PathKind pathKind(const std::string& path);
// True for an existing regular file that we may read: what "can be read"
// means for an input file.
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

// The path with every symlink resolved (realpath), or nullopt when some
// part of it does not exist or cannot be reached.
std::optional<std::string> realPath(const std::string& path);
// True when the resolved `path` is `folder` or lies under it; both are
// resolved first, so a symlink that leads out is caught. False when either
// cannot be resolved.
bool staysInside(const std::string& path, const std::string& folder);
// What tells whether a file changed since it was read: its size and its
// modification time in nanoseconds. Taken before a file is read, so that a
// change while it is read shows up as a difference later.
struct FileStamp {
  int64_t size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> fileStamp(const std::string& path);

// True when the last component of `path` is a symlink.
bool isSymlink(const std::string& path);

// Creates the folder `path` and any missing folders above it; true when it
// exists afterwards, else `reason` says what the system said.
bool makeDirectories(const std::string& path, std::string* reason);

}  // namespace comptab
