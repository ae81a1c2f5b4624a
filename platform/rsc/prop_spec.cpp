#include "platform/rsc/prop_spec.h"

#include <optional>

#include "platform/rsc/rsc_file.h"
#include "platform/rsc/side_file_keys.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

constexpr const char* kComponentKey = "component";

// Reads one object type's rows into `names`; false with the reason in `fail`.
bool readNames(const RscValue& value, const char* key, const SideFileFailure& fail,
               std::map<std::string, std::string, std::less<>>& names) {
  const RscTable* rows = value.table();
  if (rows == nullptr) {
    fail(strprintf("%s must be an array of [property, display name] rows, not ", key) + describeValue(value));
    return false;
  }
  if (rows->rowCount() > 0 && rows->columnCount() != 2) {
    fail(strprintf("%s rows must have 2 cells (property, display name), not %zu", key, rows->columnCount()));
    return false;
  }
  std::map<std::string, size_t, std::less<>> rowOf;
  for (size_t row = 0; row < rows->rowCount(); ++row) {
    const RscValue& property = *rows->cell(row, 0);
    const RscValue& display = *rows->cell(row, 1);
    const std::string where = strprintf("%s row %zu: ", key, row + 1);
    if (property.kind() != RscValue::Text || property.text()->empty()) {
      fail(where + "the property must be a string that is not empty, not " + describeValue(property));
      return false;
    }
    if (display.kind() != RscValue::Text || display.text()->empty()) {
      fail(where + "the display name must be a string that is not empty, not " + describeValue(display));
      return false;
    }
    const auto [at, added] = rowOf.emplace(*property.text(), row);
    if (!added) {
      fail(where + describeValue(property) + strprintf(" is given again (first in row %zu)", at->second + 1));
      return false;
    }
    names.emplace(*property.text(), *display.text());
  }
  return true;
}

}  // namespace

int PropSpecFile::readFrom(const std::string& path, std::string* reason) {
  const SideFileFailure fail(path, reason);
  const std::optional<RscFile> file = openSideFile(path, fail);
  if (!file) return 0;
  const auto component = file->lookup(kComponentKey);
  if (!component) {
    fail(strprintf("%s is missing: the file names no properties", kComponentKey));
    return 0;
  }
  Names names;
  if (!readNames(*component, kComponentKey, fail, names)) return 0;
  component_ = std::move(names);
  return 1;
}

std::string PropSpecFile::displayString(int objectType, std::string_view propertyName) const {
  if (objectType == kComponent) {
    const auto at = component_.find(propertyName);
    if (at != component_.end()) return at->second;
  }
  return std::string(propertyName);
}

}  // namespace comptab
