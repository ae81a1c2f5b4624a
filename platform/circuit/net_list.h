// The net list of a circuit (docs/circuit.md): <circuit>/netlist.json, as a
// schematic editor exports it. It gives the hierarchy (the top-level sheets,
// the blocks on each sheet and the sheets each block instantiates, to any
// depth up to kMaxDepth), the values each instance gives its components, and
// the nets, which the listing does not read.
//
// open() reads and checks the whole file, and that every sheet file it
// names is there, or gives nothing and a one-line reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/support/path.h"

namespace comptab {

struct NetValue {
  std::string name;
  std::string value;
};

// The values one instance gives the sheet component of that number.
struct NetComponent {
  int32_t number = 0;
  std::vector<NetValue> values;  // in file order
};

struct NetBlock;

struct NetSheet {
  std::string file;  // relative to the circuit directory
  int32_t id = 0;
  int32_t number = 0;
  std::vector<NetComponent> components;  // only below the top level
  std::vector<NetBlock> blocks;
};

struct NetBlock {
  int32_t component = 0;  // the block component's number on the sheet that holds it
  std::vector<NetSheet> sheets;
};

// A pin, named by its component's hierarchical id ("001.cmp4/012.cmp7")
// and its pin number.
struct NetPin {
  std::string component;
  std::string pin;
};

struct Net {
  std::string name;
  std::vector<NetPin> pins;
};

class NetList {
 public:
  // Depth of the deepest sheet a net list may have: a top-level sheet is at
  // depth 0, a sheet inside one of its blocks at depth 1, and so on.
  static constexpr int kMaxDepth = 32;
  static constexpr size_t kMaxFileBytes = size_t{1} << 30;

  // Reads <circuitDir>/netlist.json. Null when it is missing or wrong, or
  // names a sheet file that is not there; then `reason`, when given, says
  // why in one line that starts with the file name.
  static std::unique_ptr<NetList> open(const std::string& circuitDir, std::string* reason = nullptr);
  // Lets go of a net list that was opened and not handed on.
  static void close(std::unique_ptr<NetList>& list, int mode);

  const std::string& circuitDir() const { return circuitDir_; }
  const std::vector<NetSheet>& topSheets() const { return topSheets_; }
  const std::vector<Net>& nets() const { return nets_; }
  // The path of a sheet's file.
  std::string sheetPath(const NetSheet& sheet) const;
  // The file's name within the circuit and its stamp when it was read: an
  // instance database records them to notice a later change.
  const std::string& fileName() const { return fileName_; }
  const FileStamp& stamp() const { return stamp_; }

 private:
  std::string circuitDir_;
  std::string fileName_;
  FileStamp stamp_;
  std::vector<NetSheet> topSheets_;
  std::vector<Net> nets_;
};

}  // namespace comptab
