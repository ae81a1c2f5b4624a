// The drawing half of the interactive page, as the JSON its script reads
// (docs/html.md): the sheets of a design, each sheet file drawn once and
// each instance with the references it gives the file's symbols.
#pragma once

#include <string>

namespace comptab {

class KicadDesign;

// Every sheet instance of a KiCad design.
std::string kicadSchematicJson(const KicadDesign& design);

}  // namespace comptab
