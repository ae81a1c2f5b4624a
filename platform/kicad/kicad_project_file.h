// A KiCad project file (.kicad_pro, JSON) as far as a listing needs it: that
// it is a JSON object, its text variables and its design variants. The rest
// (BOM presets and more) is left in `json` for who needs it.
#pragma once

#include <string>
#include <vector>

namespace comptab {

struct KicadProjectFile {
  std::string json;
  // "text_variables": { "NAME": "value", ... }, in file order.
  std::vector<std::pair<std::string, std::string>> textVariables;
  // "schematic": { "variants": [ { "name": "V1", "description": "..." }, ... ] }
  std::vector<std::pair<std::string, std::string>> variants;
};

// False with `reason` ("<path>: what is wrong") when the file cannot be read
// or is not a JSON object, or a text variable or variant is not as above.
bool readKicadProjectFile(const std::string& path, KicadProjectFile& out, std::string* reason);

}  // namespace comptab
