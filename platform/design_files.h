// Where the files of one design live inside its directory.
//
//   DesignFileKind::InstanceDb  <designDir>/instance.db    (no name)
//   DesignFileKind::DataFile    <designDir>/data/<name>.rsc ("kordata", "vmdata")
//   DesignFileKind::NetList     <designDir>/netlist.json   (name "netlist")
//
// The files need not exist; callers test for them.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

enum class DesignFileKind { InstanceDb = 7, DataFile = 8, NetList = 9 };

struct DesignDataFile {
  // The path, or "" when the design directory is empty, the kind is not one
  // of the above, or the name does not fit the kind: the instance database
  // takes no name, a data file a plain name (letters, digits, '_', '-'),
  // the net list only "netlist".
  static std::string fileName(std::string_view designDir, DesignFileKind kind, std::string_view name);
};

}  // namespace comptab
