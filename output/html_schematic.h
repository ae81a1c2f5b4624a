// The drawing half of the interactive page, as the JSON its script reads
// (docs/html.md): the sheets of a design, each sheet file drawn once and
// each instance with the references it gives the file's symbols.
#pragma once

#include <string>

namespace comptab {

class KicadProject;

// Every sheet instance of a KiCad project opened to keep its files.
std::string kicadSchematicJson(const KicadProject& project);

}  // namespace comptab
