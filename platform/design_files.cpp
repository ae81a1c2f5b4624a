#include "platform/design_files.h"

#include "platform/path.h"

namespace comptab {

namespace {

// Data-file names become file names, so nothing that could climb out of the
// data directory ("..", "a/b") is let through.
bool isPlainName(std::string_view name) {
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
      return isPlainName(name) ? joinPath(joinPath(designDir, "data"), std::string(name) + ".rsc") : "";
    case DesignFileKind::NetList:
      return name == "netlist" ? joinPath(designDir, "netlist.json") : "";
  }
  return "";
}

}  // namespace comptab
