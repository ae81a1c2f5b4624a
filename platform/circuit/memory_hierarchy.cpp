#include "platform/circuit/memory_hierarchy.h"

#include <utility>

namespace comptab {

SheetInfo& MemoryHierarchy::addSheet(std::string fileName, int32_t sheetId, int32_t sheetNumber) {
  SheetInfo& info = sheets_.emplace_back();
  info.db_ = this;
  info.key_ = static_cast<int64_t>(components_.size());
  components_.emplace_back();
  info.fileName_ = std::move(fileName);
  info.sheetId_ = sheetId;
  info.sheetNumber_ = sheetNumber;
  return info;
}

SheetInfo& MemoryHierarchy::addTopSheet(std::string fileName, int32_t sheetId, int32_t sheetNumber) {
  SheetInfo& info = addSheet(std::move(fileName), sheetId, sheetNumber);
  top_.push_back(&info);
  return info;
}

BlockInstance& MemoryHierarchy::addBlock(SheetInfo& holder, int32_t componentNumber) {
  BlockInstance& block = blocks_.emplace_back();
  block.componentNumber_ = componentNumber;
  block.holdingSheet_ = &holder;
  holder.blocks_.push_back(&block);
  return block;
}

SheetInfo& MemoryHierarchy::addChildSheet(BlockInstance& block, std::string fileName, int32_t sheetId,
                                          int32_t sheetNumber, std::vector<int32_t> components) {
  SheetInfo& info = addSheet(std::move(fileName), sheetId, sheetNumber);
  info.depth_ = block.holdingSheet_->depth_ + 1;
  info.parentBlock_ = &block;
  block.childSheets_.push_back(&info);
  components_[static_cast<size_t>(info.key_)] = std::move(components);
  return info;
}

const InstanceSheet* MemoryHierarchy::loadSheet(SheetInfo& info, std::string* /*reason*/) {
  auto sheet = std::make_unique<InstanceSheet>();
  sheet->info_ = &info;
  const std::vector<int32_t>& numbers = components_[static_cast<size_t>(info.key_)];
  sheet->components_.resize(numbers.size());
  sheet->order_.reserve(numbers.size());
  for (size_t i = 0; i < numbers.size(); ++i) {
    InstanceComponent& component = sheet->components_[i];
    component.number_ = numbers[i];
    component.sheet_ = sheet.get();
    sheet->order_.push_back(&component);
  }
  info.loaded_ = std::move(sheet);
  return info.loaded_.get();
}

}  // namespace comptab
