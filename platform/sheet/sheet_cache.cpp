#include "platform/sheet/sheet_cache.h"

#include "platform/sheet/sheet_data.h"
#include "platform/sheet/sheet_reader.h"

namespace comptab {

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

void SheetCache::makeRoom() {
  while (held_ > budget_ && recent_.size() > 1) {
    const Entry& oldest = recent_.back();
    held_ -= oldest.bytes;
    byPath_.erase(oldest.path);
    recent_.pop_back();
  }
}

}  // namespace comptab
