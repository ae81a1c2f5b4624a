#include "platform/circuit/sheet_path.h"

#include "platform/support/path.h"

namespace comptab {

namespace {

bool hasParentPart(std::string_view name) {
  size_t start = 0;
  while (start <= name.size()) {
    const size_t slash = std::min(name.find('/', start), name.size());
    if (name.substr(start, slash - start) == "..") return true;
    start = slash + 1;
  }
  return false;
}

}  // namespace

std::string SheetPathCheck::problem(std::string_view name) {
  if (name.empty()) return "the sheet file name is empty";
  if (name.front() == '/' || hasParentPart(name))
    return "\"" + std::string(name) + "\" is not a path inside the circuit directory";
  const auto known = seen_.find(std::string(name));
  if (known != seen_.end()) return known->second;
  if (!resolved_) {
    realCircuit_ = realPath(circuitDir_);
    resolved_ = true;
  }
  std::string why;
  // A missing file is left to the reader, which says so in its own words.
  const auto real = realPath(joinPath(circuitDir_, name));
  if (real && realCircuit_ && !real->starts_with(*realCircuit_ == "/" ? "/" : *realCircuit_ + "/"))
    why = "\"" + std::string(name) + "\" leads out of the circuit directory through a symbolic link";
  seen_.emplace(std::string(name), why);
  return why;
}

}  // namespace comptab
