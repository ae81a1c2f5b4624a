// Where a listed component stands: the handles of its sheet, and, in a
// circuit, the sheet's place in the hierarchy: the SheetInfo of a top-level
// sheet, or the loaded InstanceSheet of a sheet inside a block with the
// component's InstanceComponent. A single sheet file has none of the three.
#pragma once

#include "platform/design_db.h"

namespace comptab {

class InstanceComponent;
class InstanceSheet;
class SheetInfo;

struct Placement {
  SheetRef sheet;
  ZoneRef zone;
  const SheetInfo* topSheet = nullptr;
  const InstanceSheet* instanceSheet = nullptr;
  const InstanceComponent* instanceComponent = nullptr;
};

}  // namespace comptab
