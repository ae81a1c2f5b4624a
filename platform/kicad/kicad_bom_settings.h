// The bill-of-materials settings a KiCad project keeps under "schematic" in
// its .kicad_pro: the last used field set and output format, and the named
// presets of each. Read here because only platform/ parses JSON; the BOM
// export gives them their meaning.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

struct KicadBomField {
  std::string name;   // a field name, or a generated one such as "${QUANTITY}"
  std::string label;  // the column title
  bool show = true;
  bool groupBy = false;
};

struct KicadBomPreset {
  std::string name;
  std::vector<KicadBomField> fields;
  std::string sortField;
  bool sortAsc = true;
  std::string filter;
  bool groupSymbols = false;
  bool excludeDnp = false;
  bool includeExcludedFromBom = false;
};

struct KicadBomFormat {
  std::string name;
  std::string fieldDelimiter = ",";
  std::string stringDelimiter = "\"";
  std::string refDelimiter = ",";
  std::string refRangeDelimiter = "-";
  bool keepTabs = false;
  bool keepLineBreaks = false;
};

struct KicadBomSettings {
  std::optional<KicadBomPreset> current;  // "bom_settings"
  std::optional<KicadBomFormat> currentFormat;  // "bom_fmt_settings"
  std::vector<KicadBomPreset> presets;    // "bom_presets"
  std::vector<KicadBomFormat> formats;    // "bom_fmt_presets"
};

// Reads the settings from a project file's text ("" reads as a project
// without any). Keys KiCad did not write in older versions take KiCad's
// defaults; a value of the wrong type is refused with `reason` naming its
// place, such as "schematic.bom_presets[1].sort_asc: expected true or false".
bool readKicadBomSettings(std::string_view projectJson, KicadBomSettings& settings, std::string* reason);

}  // namespace comptab
