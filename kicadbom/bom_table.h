// KiCad's bill of materials from a list of placed symbol units: which units
// it lists, how it folds them into rows (the units of one part always, equal
// group-by fields when the preset groups), the order of the rows, and the
// text of the file. Given the same units, fields and settings it writes the
// bytes KiCad 10's BOM export writes.
#pragma once

#include <string>
#include <vector>

#include "platform/kicad/kicad_bom_settings.h"
#include "platform/kicad/kicad_design.h"

namespace comptab {

// One placed unit as one variant sees it.
struct BomUnit {
  std::string reference;  // as the instance gives it: "R1", "R?", "U3"
  int unit = 1;
  bool multiUnit = false;  // the symbol has more than one unit
  // Reference, Value, Footprint, Datasheet, Description, then the others;
  // text variables already expanded.
  std::vector<KicadNamedValue> fields;
  KicadAttributes attributes;
};

// What a generated field "${NAME}" that is not one of KiCad's own (QUANTITY,
// ITEM_NUMBER, DNP, EXCLUDE_FROM_*) reads as: the project's text variables,
// then the unit's fields, as KiCad resolves it against the symbol.
struct BomVariables {
  const std::vector<KicadNamedValue>* project = nullptr;
};

// The file's text: a header of the shown fields' labels, then a line per
// row; empty when no field is shown.
std::string buildBom(const std::vector<BomUnit>& units, const KicadBomPreset& preset, const KicadBomFormat& format,
                     const BomVariables& variables = {});

// Whether a field name is one KiCad generates ("${QUANTITY}", "${DNP}", ...):
// "${" + a word + "}".
bool isGeneratedField(std::string_view name);

}  // namespace comptab
