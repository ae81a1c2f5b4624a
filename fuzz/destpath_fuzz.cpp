// The file names of a run's tables: an output path with "$DEST" and the
// destination names of a design, which come from files an attacker may
// write. The first line is the path, each further line a name (NUL bytes
// kept). A name that is let through must not add a folder step, step
// upwards, or make two destinations share a file.
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "output/table_output_path.h"

namespace {

std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', start)) {
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  parts.push_back(path.substr(start));
  return parts;
}

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t firstEnd = input.find('\n');
  const std::string_view path = input.substr(0, firstEnd);
  std::vector<std::string_view> names;
  if (firstEnd != std::string_view::npos) {
    std::string_view rest = input.substr(firstEnd + 1);
    for (size_t end = rest.find('\n');; end = rest.find('\n')) {
      names.push_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
  const bool perDestination = comptab::namesFilePerDestination(path);
  const std::vector<std::string_view> pattern = components(path);
  std::vector<std::string> paths;
  std::unordered_set<std::string_view> distinct;
  bool allFit = true;
  for (const std::string_view name : names) {
    std::string reason;
    const bool fits = comptab::destinationFitsPath(name, &reason);
    require(fits == reason.empty());
    paths.push_back(comptab::tableOutputPath(path, name));
    if (!fits) {
      allFit = false;
      continue;
    }
    distinct.insert(name);
    const std::string& expanded = paths.back();
    // The name brings no NUL, no folder step and no step up of its own.
    require(expanded.find('\0') == std::string::npos || path.find('\0') != std::string_view::npos);
    const std::vector<std::string_view> steps = components(expanded);
    require(steps.size() == pattern.size());
    for (size_t i = 0; i < steps.size(); ++i)
      if (steps[i] == ".." || steps[i] == ".") require(pattern[i] == steps[i]);
  }
  const size_t shared = comptab::firstSharedPath(paths);
  require(shared <= paths.size());
  if (shared < paths.size()) {
    bool before = false;
    for (size_t i = 0; i < shared; ++i) before = before || paths[i] == paths[shared];
    require(before);
  }
  // Different names that all fit never share a file when the path holds
  // "$DEST".
  if (perDestination && allFit && distinct.size() == names.size()) require(shared == paths.size());
  return 0;
}
