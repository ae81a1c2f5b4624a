// The rule for a sheet file named by a net list, an instance database or a
// KiCad project's hierarchy: a relative path inside the circuit directory,
// so that the circuit can be moved or copied as one folder and no file
// outside it is listed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace comptab {

class SheetPathCheck {
 public:
  explicit SheetPathCheck(std::string circuitDir) : circuitDir_(std::move(circuitDir)) {}

  // Empty when `name` is fine; else one line saying why not. The name must
  // be relative and hold no ".." part; where it exists, it must not lead
  // out of the circuit through a symlink (of the file or of a folder on its
  // way). Each name is resolved once.
  std::string problem(std::string_view name);

 private:
  std::string circuitDir_;
  std::optional<std::string> realCircuit_;
  bool resolved_ = false;
  std::unordered_map<std::string, std::string> seen_;
};

}  // namespace comptab
