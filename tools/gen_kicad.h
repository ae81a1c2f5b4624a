// The KiCad project of the benchmark: one root schematic whose sheet blocks
// all use one channel schematic, as repeated channels of a real board do.
#pragma once

#include <string>

// Writes DIR/design/design.kicad_pro, design.kicad_sch and channel.kicad_sch:
// `sheets` instances of a channel of `perSheet` symbols, each symbol with
// its own reference in every instance (KiCad 8 form). Prints the number of
// symbols listed and returns 0, or 1 when the files cannot be written.
int writeKicadProject(long sheets, int perSheet, const std::string& dir);
