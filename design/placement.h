// Where a listed component stands: the handles of its sheet, and, in a
// circuit, the sheet's place in the hierarchy: the SheetInfo of a top-level
// sheet, or the loaded InstanceSheet of a sheet inside a block with the
// component's InstanceComponent. A single sheet file has none of the three.
#pragma once

#include <string>

#include "platform/sheet/design_db.h"

namespace comptab {

class InstanceComponent;
class InstanceSheet;
class SheetInfo;

// Texts every row of one sheet shares, made once a sheet rather than once a
// component. In a circuit: the hierarchy level, the hierarchical id and the
// id up to the component's number, the sheet id and the sheet number (at
// least three digits); for a single sheet file, only the sheet number,
// which is the file's name without its extension.
struct SheetTexts {
  bool inCircuit = false;
  std::string level;
  std::string hierarchicalIdPrefix;
  std::string idPrefix;
  std::string sheetId;
  std::string sheetNumber;
};

struct Placement {
  SheetRef sheet;
  ZoneRef zone;
  const SheetInfo* topSheet = nullptr;
  const InstanceSheet* instanceSheet = nullptr;
  const InstanceComponent* instanceComponent = nullptr;
  const SheetTexts* texts = nullptr;
};

}  // namespace comptab
