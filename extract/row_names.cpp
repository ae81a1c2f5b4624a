#include "extract/row_names.h"

#include "platform/sheet/variants.h"

namespace comptab {

RowNames::RowNames() : toBoard(internName(kBoardDestination)) {}

const RowNames& rowNames() {
  static const RowNames interned;
  return interned;
}

}  // namespace comptab
