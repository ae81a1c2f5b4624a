// Files a KiCad user may hand comptab that it does not read: a board, a
// KiCad 5 schematic, a symbol library. Named by their suffix, so that the
// refusal says what the file is and what to give instead rather than how
// it failed to parse.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// One line for `path` ("board.kicad_pcb: a KiCad board ...; give ...
// instead"), or empty when its suffix is none of those files.
std::string unsupportedKicadFileHint(std::string_view path);

// A KiCad file of its own suffix (.kicad_pcb, .kicad_sym, ...) that is no
// schematic: never a sheet, so it can be refused before anything is read.
bool isKicadNonSchematic(std::string_view path);

}  // namespace comptab
