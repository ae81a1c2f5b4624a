// A KiCad schematic file as the sheet data of a circuit's sheet file
// (docs/kicad.md has the mapping), and the KCDB of the symbols it places.
// Internal to the KiCad library; callers use kicad_project.h.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kicad/kicad_design.h"

namespace comptab {

class KicadSchematic;
struct KicadLibSymbol;
struct SheetData;

// What one instance of the file makes of a placed symbol's own values.
struct KicadResolved {
  std::string_view reference;
  std::string_view value;
  std::string_view footprint;
  int unit = 1;
  KicadAttributes attributes;  // the symbol's flags with its sheets' applied
  // The fields with their text variables expanded, when any field holds
  // one: a field whose text holds "${" takes its value from here.
  const std::vector<KicadNamedValue>* expanded = nullptr;
  // "Value@V1" and the like: what each design variant changes.
  std::vector<KicadNamedValue> destinationProperties;
};

// Collects the devices and components of the symbols placed, for a KCDB.
class KicadKcdbBuilder {
 public:
  // The symbol `lib` placed as `libId`, known to the KCDB as `componentName`.
  void add(std::string_view libId, std::string_view componentName, const KicadLibSymbol& lib);
  // The whole KCDB as SQL text: schema and rows.
  std::string sql() const;

 private:
  struct Component {
    int gateCount = 1;
    std::map<std::string, int> pinGates;
  };
  // device -> component name -> what it is
  std::map<std::string, std::map<std::string, Component, std::less<>>, std::less<>> devices_;
};

// The library symbol a placed symbol draws: its lib_name when it has one,
// else its lib_id; a derived symbol without units of its own stands for
// the symbol it extends. Null when the file embeds none.
const KicadLibSymbol* drawnSymbol(const KicadSchematic& file, std::string_view libId, std::string_view libName);

// The sheet data of one instance of the file: `resolved` gives each
// symbol's reference, value, footprint and unit there, `sheetPath` the
// instance's sheet names ("/amp1/"). Symbols placed go to `kcdb` when given.
std::shared_ptr<SheetData> buildKicadSheet(const KicadSchematic& file, const std::string& path,
                                           const std::vector<KicadResolved>& resolved, const std::string& sheetPath,
                                           KicadKcdbBuilder* kcdb);

}  // namespace comptab
