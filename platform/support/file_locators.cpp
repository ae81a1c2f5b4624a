#include "platform/support/file_locators.h"

#include <pwd.h>
#include <unistd.h>

#include "platform/support/environment.h"
#include "platform/support/path.h"

namespace comptab {

namespace {

const char* systemSuffix(SystemKind kind) { return kind == SystemKind::Resource ? ".rsc" : ".tbl"; }

bool isPlainName(std::string_view name) {
  if (name.empty() || name.size() > 32) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string SuiteFile::root() { return lookupEnv("KDXROOT").value_or(""); }

std::string SuiteFile::langDir() {
  const auto lang = lookupEnv("KDXLANG");
  return lang && isPlainName(*lang) ? *lang : "eng";
}


std::string SystemFile::fileName(std::string_view name, SystemKind kind) {
  return joinPath(joinPath(SuiteFile::root(), "system"), std::string(name) + systemSuffix(kind));
}

std::string SystemFile::fileNameLang(std::string_view name, SystemKind kind) {
  return fileName(joinPath(SuiteFile::langDir(), name), kind);
}

std::string PersonalFile::homeDir() {
  if (auto home = lookupEnv("HOME"); home && !home->empty()) return *home;
  // getpwuid_r keeps us clear of the static buffer getpwuid shares.
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_dir)
    return found->pw_dir;
  return "";
}

std::string PersonalFile::areaDir() { return joinPath(homeDir(), "halden/dx"); }

std::string PersonalFile::fileName(PersonalKind kind, std::string_view name) {
  const char* suffix = kind == PersonalKind::Resource ? ".rsc" : "";
  return joinPath(areaDir(), std::string(name) + suffix);
}

namespace {

// Data-file names become file names, so nothing that could climb out of the
// data directory ("..", "a/b") is let through.
bool isDataFileName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string DesignDataFile::fileName(std::string_view designDir, DesignFileKind kind, std::string_view name) {
  if (designDir.empty()) return "";
  switch (kind) {
    case DesignFileKind::InstanceDb:
      return name.empty() ? joinPath(designDir, "instance.db") : "";
    case DesignFileKind::DataFile:
      return isDataFileName(name) ? joinPath(joinPath(designDir, "data"), std::string(name) + ".rsc") : "";
    case DesignFileKind::NetList:
      return name == "netlist" ? joinPath(designDir, "netlist.json") : "";
  }
  return "";
}

}  // namespace comptab
