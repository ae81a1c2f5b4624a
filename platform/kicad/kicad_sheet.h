// A KiCad schematic file as the sheet data of a circuit's sheet file
// (docs/kicad.md has the mapping), and the library of the parts it places.
// Internal to the KiCad library; callers use kicad_project.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kicad/kicad_design.h"

namespace comptab {

class KcdbMemory;
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
  // The library symbol it draws (drawnSymbol()), when the caller has found
  // it already; else the sheet looks it up.
  const KicadLibSymbol* lib = nullptr;
  bool libFound = false;
};

// The first instance of a file, kept to make its other instances from: a
// later instance copies its arrays and changes only what an instance gives
// (docs/performance.md, "A repeated sheet made from its first instance").
struct KicadSheetModel {
  // Where the properties an instance gives a component sit in its block;
  // -1 where a field of the same name came first and holds the place.
  enum Slot : uint8_t { Reference, Value, Footprint, PartName, SheetPath, InBom, OnBoard, Dnp, ExcludeFromSim, kSlots };
  struct Component {
    int32_t at[kSlots] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool block = false;  // a sheet block: the file's texts and the path
    int unit = 0;
    const KicadLibSymbol* lib = nullptr;
    // The value and footprint the model was given: views that stay good
    // while the texts buildKicadSheet() was given do.
    std::string_view value;
    std::string_view footprint;
    // Made from the file's texts and the instance's reference, value,
    // footprint and flags alone: no expanded field, no variant property.
    bool plain = true;
  };
  std::shared_ptr<const SheetData> sheet;
  std::vector<Component> components;  // as sheet->components
};

// Adds the part that `lib` draws, placed as `libId`, to the library as
// the component `componentName` of the device `libId`, unless it has it:
// one gate for each unit, and the gate of each pin.
void addKicadComponent(KcdbMemory& library, std::string_view libId, std::string_view componentName,
                       const KicadLibSymbol& lib);

// The library symbol a placed symbol draws: its lib_name when it has one,
// else its lib_id; a derived symbol without units of its own stands for
// the symbol it extends. Null when the file embeds none.
const KicadLibSymbol* drawnSymbol(const KicadSchematic& file, std::string_view libId, std::string_view libName);

// The sheet data of one instance of the file: `resolved` gives each
// symbol's reference, value, footprint and unit there, `sheetPath` the
// instance's sheet names ("/amp1/"). The parts placed go to `library`
// when given. With `model`, the sheet is kept there to make the file's
// other instances from.
std::shared_ptr<SheetData> buildKicadSheet(const KicadSchematic& file, const std::string& path,
                                           const std::vector<KicadResolved>& resolved, const std::string& sheetPath,
                                           KcdbMemory* library, KicadSheetModel* model = nullptr);

// Another instance of the file that made `model`: the same sheet data as
// buildKicadSheet() would give it. A symbol placed there as another unit,
// or with an expanded field or a variant property here or in the model, is
// built afresh; every other component is the model's, its instance values
// put in place. The sheet's texts are partly the model's, which it keeps.
std::shared_ptr<SheetData> buildKicadInstance(const KicadSheetModel& model, const KicadSchematic& file,
                                              const std::vector<KicadResolved>& resolved, const std::string& sheetPath);

}  // namespace comptab
