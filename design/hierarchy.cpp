#include "design/hierarchy.h"

#include <vector>

#include "platform/circuit/instance_db.h"
#include "platform/support/text.h"

namespace comptab {

int sheetDepth(const InstanceSheet* sheet) {
  int depth = 0;
  while (sheet != nullptr) {
    const BlockInstance* block = sheet->sheetInfo().parentBlock();
    if (block == nullptr) break;
    ++depth;
    sheet = block->holdingSheet().loadedSheet();
  }
  return depth;
}

std::string hierarchicalIdPrefix(const BlockInstance* parentBlock, int32_t sheetNumber) {
  // The blocks are met from the inside out; the id reads from the top down.
  std::vector<const BlockInstance*> blocks;
  for (const BlockInstance* block = parentBlock; block != nullptr; block = block->holdingSheet().parentBlock())
    blocks.push_back(block);
  std::string text;
  for (auto block = blocks.rbegin(); block != blocks.rend(); ++block)
    text += paddedDecimal((*block)->holdingSheet().sheetNumber(), 3) + ".cmp" + decimalText((*block)->componentNumber()) + '/';
  return text + paddedDecimal(sheetNumber, 3) + ".cmp";
}

SheetTexts circuitSheetTexts(const SheetInfo& info, int depth) {
  SheetTexts texts;
  texts.inCircuit = true;
  texts.level = decimalText(depth);
  texts.hierarchicalIdPrefix = hierarchicalIdPrefix(info.parentBlock(), info.sheetNumber());
  texts.sheetId = decimalText(info.sheetId() < 0 ? 0 : info.sheetId());
  texts.idPrefix = texts.sheetId + ".cmp";
  texts.sheetNumber = paddedDecimal(info.sheetNumber(), 3);
  return texts;
}

}  // namespace comptab
