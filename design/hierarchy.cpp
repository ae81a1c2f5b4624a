#include "design/hierarchy.h"

#include <vector>

#include "platform/instance_db.h"
#include "platform/text.h"

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

void hierarchicalId(const BlockInstance* parentBlock, const InstanceComponent& component, std::string& text) {
  // The blocks are met from the inside out; the id reads from the top down.
  std::vector<std::string> steps;
  steps.push_back(paddedDecimal(component.instanceSheet().sheetInfo().sheetNumber(), 3) + ".cmp" + decimalText(component.number()));
  for (const BlockInstance* block = parentBlock; block != nullptr; block = block->holdingSheet().parentBlock())
    steps.push_back(paddedDecimal(block->holdingSheet().sheetNumber(), 3) + ".cmp" + decimalText(block->componentNumber()));
  text.clear();
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    if (!text.empty()) text += '/';
    text += *step;
  }
}

}  // namespace comptab
