// The property display names "PropSpec", one file per language: the titles
// that stand for property names in column headers. A TOML file with one
// array of [property, display name] rows per object type:
//
//   component = [
//     ["reference", "Reference"],
//     ["partName",  "Part name"],
//   ]
//
// Object type 7 (component) is read from the key "component"; other object
// types will get keys of their own.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace comptab {

class PropSpecFile {
 public:
  static constexpr int kComponent = 7;

  // Non-zero when the file was read. Zero when it cannot be read, is not
  // valid TOML, has no object-type key, or holds a wrong value; then
  // `reason` (when given) gets one line naming the file, the key or row, and
  // what was wrong, and the names read before are kept.
  int readFrom(const std::string& path, std::string* reason = nullptr);

  // The display name of a property of that object type; a property (or an
  // object type) the file does not list gives back its own name.
  std::string displayString(int objectType, std::string_view propertyName) const;

 private:
  using Names = std::map<std::string, std::string, std::less<>>;
  Names component_;
};

}  // namespace comptab
