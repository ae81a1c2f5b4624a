// The drop-in export's page (`comptab sch export bom -o board.html`): its
// tables on the interactive page of docs/html.md, beside the schematic.
#pragma once

#include "kicadbom/bom_command.h"

namespace comptab {

// Writes `page` whole: a tab per table, its labels as the header, its rows
// in order, each linked to the drawn parts of its references.
void writeBomPage(const BomPage& page, OutputStream& out);

}  // namespace comptab
