// A circuit's hierarchy built in memory by a reader of a design of another
// format (a KiCad project): sheets, blocks and sheet instances are added
// top down, depth first, as the reader meets them, each sheet inside a
// block with the numbers of its components. Such a design carries each
// instance's values in its own sheet data, so its instance components have
// none to add; nothing is saved.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/circuit/circuit_hierarchy.h"

namespace comptab {

class MemoryHierarchy final : public CircuitHierarchy {
 public:
  MemoryHierarchy() = default;
  ~MemoryHierarchy() override = default;

  // `fileName` is the sheet's path, as the walk opens it.
  SheetInfo& addTopSheet(std::string fileName, int32_t sheetId, int32_t sheetNumber);
  // A block component on `holder`, after the blocks added to it before.
  BlockInstance& addBlock(SheetInfo& holder, int32_t componentNumber);
  // A sheet instance inside `block`, whose components are those numbers,
  // in the sheet's order.
  SheetInfo& addChildSheet(BlockInstance& block, std::string fileName, int32_t sheetId, int32_t sheetNumber,
                           std::vector<int32_t> components);

  InstanceSequence<SheetInfo> topSheets() const override { return InstanceSequence<SheetInfo>(top_); }

 private:
  SheetInfo& addSheet(std::string fileName, int32_t sheetId, int32_t sheetNumber);
  const InstanceSheet* loadSheet(SheetInfo& info, std::string* reason) override;

  std::deque<SheetInfo> sheets_;  // in the order added
  std::deque<BlockInstance> blocks_;
  std::vector<SheetInfo*> top_;
  std::vector<std::vector<int32_t>> components_;  // by the sheet's key
};

}  // namespace comptab
