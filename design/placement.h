// Where a listed component stands: the handles of its sheet and the texts
// its sheet gives every row.
#pragma once

#include <string>

#include "platform/sheet/design_db.h"

namespace comptab {

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
  const SheetTexts* texts = nullptr;
};

}  // namespace comptab
