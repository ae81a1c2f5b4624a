// Where a listed component stands: the handles of its sheet, and, in a
// circuit, the sheet's place in the hierarchy.
#pragma once

#include "platform/design_db.h"

namespace comptab {

struct Placement {
  SheetRef sheet;
  ZoneRef zone;
};

}  // namespace comptab
