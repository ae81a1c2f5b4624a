// Putting a sheet's zone grid on its automatic offset before the zone labels
// are computed.
#pragma once

#include "platform/sheet/design_types.h"

namespace comptab {

class SheetRef;
class ZoneRef;

// The offset the grid asks for: setting 1 puts a grid line through the
// middle of the sheet, setting 2 the middle of a cell; any other setting,
// or a pitch that is not positive, keeps the stored offset.
Point automaticOffset(Box region, Point pitch, int autoset, Point stored);

// Moves the open sheet's grid (in memory only) to its automatic offset.
void normalizeZoneOffset(const SheetRef& sheet, const ZoneRef& zone);

}  // namespace comptab
