// Where the suite's files live. Everything hangs off two roots: the suite
// root ($KDXROOT) and the user's personal area ($HOME/halden/dx).
//
//   $KDXROOT/system/<name><suffix>          SystemFile::fileName
//   $KDXROOT/system/<lang>/<name><suffix>   SystemFile::fileNameLang
//   $HOME/halden/dx/<name><suffix>          PersonalFile::fileName
//
// The language is $KDXLANG when it is a plain name, else "eng".
//
// And the files of one design inside its directory:
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

// File kinds of the system locator.
enum class SystemKind { Resource = 1, Table = 2 };
// File kinds of the personal locator.
enum class PersonalKind { Resource = 2 };

struct SuiteFile {
  // $KDXROOT, or "" when it is not set.
  static std::string root();
  // The language directory name, e.g. "eng" or "jpn".
  static std::string langDir();
};

struct SystemFile {
  // Resource files get ".rsc", tables ".tbl". `name` may hold a
  // language directory ("eng/comptab").
  static std::string fileName(std::string_view name, SystemKind kind);
  static std::string fileNameLang(std::string_view name, SystemKind kind);
};

struct PersonalFile {
  // $HOME, or the password database's home when HOME is not set.
  static std::string homeDir();
  // The personal area below the home directory.
  static std::string areaDir();
  static std::string fileName(PersonalKind kind, std::string_view name);
};

enum class DesignFileKind { InstanceDb = 7, DataFile = 8, NetList = 9 };

struct DesignDataFile {
  // The path, or "" when the design directory is empty, the kind is not one
  // of the above, or the name does not fit the kind: the instance database
  // takes no name, a data file a plain name (letters, digits, '_', '-'),
  // the net list only "netlist".
  static std::string fileName(std::string_view designDir, DesignFileKind kind, std::string_view name);
};

}  // namespace comptab
