// `comptab sch export bom [OPTIONS] INPUT`: KiCad's BOM export as a command
// of its own, needing nothing of the suite; and the BOM a project's own
// saved settings describe, for `comptab board.kicad_pro` without a
// resource file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kicadbom/bom_table.h"

namespace comptab {

class KicadDesign;
class OutputStream;

// What an output file ending in ".html" gets instead of the CSV: the
// interactive page of the tables (one per variant, by its name; the root
// sheet's name when none is given) beside the design's drawing. The page
// belongs to a layer above this one, so the caller hands in its writer.
struct BomPageTable {
  std::string name;
  BomRows rows;
};
struct BomPage {
  std::string title;  // the input file's name
  const KicadDesign* design = nullptr;
  const KicadBomFormat* format = nullptr;
  std::vector<BomPageTable> tables;
};
using BomPageWriter = void (*)(const BomPage& page, OutputStream& out);

// Runs the command on the words after "sch export bom"; the exit status
// (0 written, 1 a usage or input error, told on standard error in one line
// with the message code a listing gives for the same fault).
// Without `writePage`, a ".html" output is refused.
int runBomExport(const std::vector<std::string>& words, BomPageWriter writePage = nullptr);

// Whether the output file is a page: its name ends in ".html", in any case.
bool isBomPagePath(std::string_view path);

// Writes to standard output the BOM the project's saved BOM settings
// describe (KiCad's command-line defaults where it saved none). The exit
// status.
int runProjectBom(const std::string& target);

// The units of `design` as `variant` sees them, ready for buildBom; those
// whose reference starts with '#' (power and other pseudo-symbols) are not
// among them, as in KiCad. With `keep`, a unit holds only the fields named
// there (sorted), which is all a BOM of those columns reads; with `sheets`
// (from bomSheets), it knows its sheet and library symbol, for the
// variables of generated columns. The units' texts are views into the
// design and the list: both must outlive the units.
BomUnitList bomUnits(const KicadDesign& design, const std::string& variant,
                              const std::vector<std::string>* keep = nullptr,
                              const std::vector<BomSheet>* sheets = nullptr);
std::vector<BomSheet> bomSheets(const KicadDesign& design);
BomVariables bomVariables(const KicadDesign& design);

// The fields a BOM with `preset` reads: its columns and its sort field;
// null (all of them) when a generated column may name any field.
std::optional<std::vector<std::string>> bomFieldsRead(const KicadBomPreset& preset);

// Prints the drop-in's usage on standard output.
void printBomUsage();

}  // namespace comptab
