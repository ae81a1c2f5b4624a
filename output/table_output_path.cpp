#include "output/table_output_path.h"

#include <unordered_set>

namespace comptab {

namespace {
constexpr std::string_view kMark = "$DEST";
}  // namespace

std::string tableOutputPath(std::string_view path, std::string_view destination) {
  std::string expanded;
  size_t start = 0;
  for (size_t at = path.find(kMark); at != std::string_view::npos; at = path.find(kMark, start)) {
    expanded.append(path.substr(start, at - start));
    expanded.append(destination);
    start = at + kMark.size();
  }
  expanded.append(path.substr(start));
  return expanded;
}

bool namesFilePerDestination(std::string_view path) { return path.find(kMark) != std::string_view::npos; }

bool destinationFitsPath(std::string_view destination, std::string* reason) {
  const char* why = nullptr;
  if (destination.empty())
    why = "the name is empty";
  else if (destination.find('\0') != std::string_view::npos)
    why = "the name holds a NUL character";
  else if (destination.find('/') != std::string_view::npos)
    why = "the name holds a '/'";
  else if (destination.find("..") != std::string_view::npos)
    why = "the name holds \"..\"";
  // "." beside a dot of the path ("out/.$DEST/") would make "..".
  else if (destination == ".")
    why = "the name is \".\"";
  if (why == nullptr) return true;
  *reason = std::string(why) + ", and it would name a file outside the output folder or the file of another "
            "destination; rename the destination or leave $DEST out of the output path";
  return false;
}

size_t firstSharedPath(const std::vector<std::string>& paths) {
  std::unordered_set<std::string_view> seen;
  for (size_t i = 0; i < paths.size(); ++i)
    if (!seen.insert(paths[i]).second) return i;
  return paths.size();
}

}  // namespace comptab
