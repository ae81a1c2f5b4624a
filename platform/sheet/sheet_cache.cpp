#include "platform/sheet/sheet_cache.h"

#include "platform/sheet/sheet_data.h"
#include "platform/sheet/sheet_reader.h"

namespace comptab {

SheetCache::SheetCache(size_t budgetBytes) : budget_(budgetBytes) {}
SheetCache::~SheetCache() = default;

std::shared_ptr<const SheetData> SheetCache::get(const std::string& path, std::string* reason) {
  if (!kept_.empty())
    if (const auto found = kept_.find(path); found != kept_.end()) return found->second;
  if (const auto found = byPath_.find(path); found != byPath_.end()) {
    recent_.splice(recent_.begin(), recent_, found->second);
    return found->second->sheet;
  }
  auto sheet = std::make_shared<SheetData>();
  if (!readSheetFile(path, *sheet, reason)) return nullptr;
  const size_t bytes = sheet->bytes();
  recent_.push_front(Entry{path, sheet, bytes});
  byPath_.emplace(path, recent_.begin());
  held_ += bytes;
  makeRoom();
  return sheet;
}

void SheetCache::hold(const std::string& path, std::shared_ptr<const SheetData> sheet) {
  kept_[path] = std::move(sheet);
}

std::unique_ptr<SheetData> SheetCache::workingCopy(std::shared_ptr<const SheetData> sheet) {
  std::unique_ptr<SheetData> room;
  if (!spare_.empty()) {
    room = std::move(spare_.back());
    spare_.pop_back();
  }
  return comptab::workingCopy(std::move(sheet), std::move(room));
}

void SheetCache::giveBack(std::unique_ptr<SheetData> copy) {
  if (!copy || spare_.size() >= kSpareCopies) return;
  // Only the arrays are of use; the sheet it was copied from may go.
  copy->base.reset();
  spare_.push_back(std::move(copy));
}

void SheetCache::makeRoom() {
  while (held_ > budget_ && recent_.size() > 1) {
    const Entry& oldest = recent_.back();
    held_ -= oldest.bytes;
    byPath_.erase(oldest.path);
    recent_.pop_back();
  }
}

}  // namespace comptab
