// The "_ZONE" label of a component: the zone grid's column and row at its
// position, such as "C-2".
#pragma once

#include <string>
#include <string_view>

#include "platform/sheet/design_types.h"

namespace comptab {

// What the label needs of a sheet's zone grid.
struct ZoneGrid {
  Point offset;
  Point pitch;
  int origin = 0;               // the corner counted from: 0 (x1,y1), 1 (x2,y1), 2 (x1,y2), 3 (x2,y2)
  std::string_view firstColumn;  // the label of the first column, e.g. "A" or "1"
  std::string_view firstRow;
};

// "<column>-<row>". Empty when the position lies outside the grid on the
// side its origin counts from, or when a pitch is not positive. An origin
// code outside 0..3 counts from the sheet's corner (x1,y1) without the
// offset. A first label of neither style leaves its half empty ("-2").
std::string zoneLabel(const ZoneGrid& grid, Point position, Box region);

}  // namespace comptab
