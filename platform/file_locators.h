// Where the suite's files live. Everything hangs off two roots: the suite
// root ($KDXROOT) and the user's personal area ($HOME/halden/dx).
//
//   $KDXROOT/system/<name><suffix>          SystemFile::fileName
//   $KDXROOT/system/<lang>/<name><suffix>   SystemFile::fileNameLang
//   $HOME/halden/dx/<name><suffix>          PersonalFile::fileName
//
// The language is $KDXLANG when it is a plain name, else "eng".
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
  static bool isExist(const std::string& path);
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

}  // namespace comptab
