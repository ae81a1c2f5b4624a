// Where a sheet of a circuit stands in its hierarchy: its depth, and the
// path of block components from the top down to one of its components.
#pragma once

#include <cstdint>
#include <string>

#include "design/placement.h"

namespace comptab {

class BlockInstance;
class InstanceSheet;
class SheetInfo;

// 0 for a top-level sheet (and for none), one more for each enclosing
// block. Counted through the loaded sheets that hold the blocks, so every
// sheet on the way up must be loaded, as it is while the walk is below it.
int sheetDepth(const InstanceSheet* sheet);

// A component's hierarchical id is "<sheet number>.cmp<component number>"
// for each block from the top level down, then for the component itself,
// joined by '/': 001.cmp4/012.cmp7 for component 7 on sheet 12 inside block
// 4 of sheet 1. Sheet numbers have at least three digits. This is the part
// every component of a sheet shares, up to the component's own number:
// "001.cmp4/012.cmp". `parentBlock` is the block that holds the sheet.
std::string hierarchicalIdPrefix(const BlockInstance* parentBlock, int32_t sheetNumber);

// The texts the rows of a circuit's sheet share, for a sheet at `depth`.
SheetTexts circuitSheetTexts(const SheetInfo& info, int depth);

}  // namespace comptab
