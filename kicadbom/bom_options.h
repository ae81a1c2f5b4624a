// The command line of `comptab sch export bom`, which takes the options of
// KiCad 10's `kicad-cli sch export bom` with their meaning and defaults, and
// the preset and format it makes of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/kicad/kicad_bom_settings.h"

namespace comptab {

struct BomOptions {
  std::string input;
  std::string output;  // "" writes <root sheet name>.csv into the current folder
  std::vector<std::string> variants;
  std::string preset;
  std::string formatPreset;
  std::optional<std::string> fields;  // given or not: labels apply differently
  std::optional<std::string> labels;
  std::string groupBy;
  std::string sortField = "Reference";
  bool sortAsc = true;
  std::string filter;
  bool excludeDnp = false;
  KicadBomFormat format;  // the delimiter and keep options, unnamed
  bool help = false;
};

// Reads the words after "sch export bom". False with one line in `reason`
// (what is wrong and what to write instead) for an unknown option, a
// missing value, a second input, or none.
bool parseBomOptions(const std::vector<std::string>& words, BomOptions& options, std::string* reason);

// The columns KiCad offers before any preset applies, in its order: its own
// fields, the generated ones, then `userFields` (sorted, without repeats)
// as the symbols have them. What "*" in --fields stands for.
std::vector<std::string> bomModelColumns(const std::vector<std::string>& userFields);

// The preset the options describe: the named one (a project preset of that
// name before a built-in one), or the one --fields and the others build.
// False with `reason` when the name is unknown.
bool chooseBomPreset(const BomOptions& options, const KicadBomSettings& project,
                     const std::vector<std::string>& modelColumns, KicadBomPreset& preset, std::string* reason);
bool chooseBomFormat(const BomOptions& options, const KicadBomSettings& project, KicadBomFormat& format,
                     std::string* reason);

// KiCad's built-in presets.
std::vector<KicadBomPreset> builtInBomPresets();
std::vector<KicadBomFormat> builtInBomFormats();

// A generated field written without "${}" ("QUANTITY", "DNP", ...) in its
// full form; any other name as it is.
std::string canonicalBomField(const std::string& name);

}  // namespace comptab
