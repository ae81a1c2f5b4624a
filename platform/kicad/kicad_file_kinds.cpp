#include "platform/kicad/kicad_file_kinds.h"

#include "platform/support/text.h"

namespace comptab {

namespace {

struct FileKind {
  const char* suffix;
  const char* what;
  const char* instead;
};

constexpr const char* kSchematicInstead = "give the project (.kicad_pro) or its root schematic (.kicad_sch) instead";
constexpr const char* kOldInstead =
    "open it in KiCad 6 or later and save it (.kicad_sch, .kicad_pro), or give the XML net list (.xml) that "
    "KiCad's BOM dialog writes";

constexpr FileKind kKinds[] = {
    {".kicad_pcb", "a KiCad board (.kicad_pcb), which holds footprints rather than the schematic's symbols",
     kSchematicInstead},
    {".kicad_prl", "KiCad's local project settings (.kicad_prl)", kSchematicInstead},
    {".kicad_sym", "a KiCad symbol library (.kicad_sym)", kSchematicInstead},
    {".kicad_mod", "a KiCad footprint (.kicad_mod)", kSchematicInstead},
    {".kicad_dru", "KiCad's design rules (.kicad_dru)", kSchematicInstead},
    {".kicad_wks", "a KiCad drawing sheet (.kicad_wks)", kSchematicInstead},
    {".sch", "a KiCad 5 (or older) schematic (.sch), which comptab does not read", kOldInstead},
    {".pro", "a KiCad 5 (or older) project (.pro), which comptab does not read", kOldInstead},
    {".lib", "a KiCad 5 symbol library (.lib)", kOldInstead},
    {".net", "a net list in KiCad's own S-expression form (.net), which comptab does not read",
     "export the XML form instead (kicad-cli sch export netlist --format kicadxml -o board.xml board.kicad_sch) "
     "and give the .xml file"},
    {".csv", "a table (.csv), not a design", "give the design the table was made from"},
};

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() && equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

std::string unsupportedKicadFileHint(std::string_view path) {
  for (const FileKind& kind : kKinds)
    if (endsWithNoCase(path, kind.suffix))
      return strprintf("%.*s: %s; %s", static_cast<int>(path.size()), path.data(), kind.what, kind.instead);
  return {};
}

bool isKicadNonSchematic(std::string_view path) {
  for (const FileKind& kind : kKinds)
    if (std::string_view(kind.suffix).starts_with(".kicad_") && endsWithNoCase(path, kind.suffix)) return true;
  return false;
}

}  // namespace comptab
