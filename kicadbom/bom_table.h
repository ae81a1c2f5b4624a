// KiCad's bill of materials from a list of placed symbol units: which units
// it lists, how it folds them into rows (the units of one part always, equal
// group-by fields when the preset groups), the order of the rows, and the
// text of the file. Given the same units, fields and settings it writes the
// bytes KiCad 10's BOM export writes.
#pragma once

#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kicad/kicad_bom_settings.h"
#include "platform/kicad/kicad_design.h"

namespace comptab {

// Where a unit lies, for the sheet variables of a generated column.
struct BomSheet {
  std::string name;  // the sheet block's name; the project's for the root
  std::string path;  // "/" for the root, "/<name>/.../" below
  std::string file;  // the sheet's file name
};

// One placed unit as one variant sees it. Its texts are views: into the
// design for most units, into the texts a BomUnitList keeps for the units
// a variant or a text variable gave texts of their own.
struct BomUnit {
  std::string_view reference;  // as the instance gives it: "R1", "R?", "U3"
  int unit = 1;
  bool multiUnit = false;  // the symbol has more than one unit
  // Reference, Value, Footprint, Datasheet, Description, then the others;
  // text variables already expanded.
  std::span<const KicadFieldView> fields;
  // Fields whose text held variables, as written: grouping compares these.
  std::span<const KicadFieldView> written;
  KicadAttributes attributes;
  // For generated columns only (null and empty when none asks).
  const BomSheet* sheet = nullptr;
  std::string_view libId;  // "Device:R"
};

// Units with the lists of fields they view and the texts some of them own.
class BomUnitList {
 public:
  std::vector<BomUnit> units;
  // A copy of `fields` that stays where it is while the list lives.
  std::span<const KicadFieldView> keep(const std::vector<KicadFieldView>& fields);
  // A copy of `text` that stays where it is (a deque never moves one).
  std::string_view keep(const std::string& text) { return texts_.emplace_back(text); }

 private:
  // Fields in blocks, each unit's within one block.
  std::vector<std::unique_ptr<KicadFieldView[]>> blocks_;
  size_t used_ = 0;
  size_t size_ = 0;
  std::deque<std::string> texts_;
};

// What a generated field "${NAME}" that is not one of KiCad's own (QUANTITY,
// ITEM_NUMBER, DNP, EXCLUDE_FROM_*) reads as, as KiCad resolves it against
// the symbol: REFERENCE (with the unit letter of a part of several units),
// UNIT, SYMBOL_NAME, SYMBOL_LIBRARY, SHEETNAME, SHEETPATH, SHEETFILE,
// FILENAME, PROJECTNAME, "#" and "##" (empty: no page is printed), the
// unit's fields by their upper-cased names, then the project's text
// variables; anything else stays as written.
struct BomVariables {
  const std::vector<KicadNamedValue>* project = nullptr;
  std::string projectName;
  std::string rootFile;  // the root sheet's file name
};

// The bill of materials as a table: the shown fields' labels, then the
// rows in the file's order, each with its cells as KiCad makes them (before
// the format drops tabs and line breaks and quotes them) and the references
// of its parts ("R1", "R2", ...: no ranges, no unit letters). No labels and
// no rows when no field is shown.
struct BomRows {
  struct Row {
    std::vector<std::string> cells;
    std::vector<std::string> references;
  };
  std::vector<std::string> labels;
  std::vector<Row> rows;
};
BomRows buildBomRows(const std::vector<BomUnit>& units, const KicadBomPreset& preset, const KicadBomFormat& format,
                     const BomVariables& variables = {});

// The file's text of `rows`: a header of the labels, then a line per row;
// empty when no field is shown.
std::string bomText(const BomRows& rows, const KicadBomFormat& format);

// A cell as the file holds it once unquoted: tabs and line breaks dropped
// unless the format keeps them.
std::string bomCellText(std::string_view text, const KicadBomFormat& format);

// bomText of buildBomRows.
std::string buildBom(const std::vector<BomUnit>& units, const KicadBomPreset& preset, const KicadBomFormat& format,
                     const BomVariables& variables = {});

// Whether a field name is one KiCad generates ("${QUANTITY}", "${DNP}", ...):
// "${" + a word + "}".
bool isGeneratedField(std::string_view name);

}  // namespace comptab
