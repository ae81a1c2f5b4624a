#include "platform/kicad/kicad_text_pool.h"

#include <cstring>
#include <functional>

namespace comptab {

namespace {

constexpr size_t kBlockBytes = size_t{64} << 10;
// A text longer than this gets a block of its own, so a block wastes at
// most this much at its end.
constexpr size_t kLongText = kBlockBytes / 8;

}  // namespace

char* KicadTextPool::room(size_t size) {
  stored_ += size;
  if (size > kLongText) return longTexts_.emplace_back(std::make_unique<char[]>(size)).get();
  if (size > left_) {
    blocks_.push_back(std::make_unique<char[]>(kBlockBytes));
    free_ = blocks_.back().get();
    left_ = kBlockBytes;
  }
  char* at = free_;
  free_ += size;
  left_ -= size;
  return at;
}

std::string_view KicadTextPool::addUnique(std::string_view text) {
  if (text.empty()) return {};
  char* at = room(text.size());
  std::memcpy(at, text.data(), text.size());
  return {at, text.size()};
}

void KicadTextPool::grow() {
  std::vector<std::string_view> old(slots_.empty() ? 1024 : slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const std::string_view text : old) {
    if (text.empty()) continue;
    size_t i = std::hash<std::string_view>()(text) & mask;
    while (!slots_[i].empty()) i = (i + 1) & mask;
    slots_[i] = text;
  }
}

std::string_view KicadTextPool::add(std::string_view text) {
  if (text.empty()) return {};
  if (2 * (used_ + 1) > slots_.size()) grow();
  const size_t mask = slots_.size() - 1;
  size_t i = std::hash<std::string_view>()(text) & mask;
  while (!slots_[i].empty()) {
    if (slots_[i] == text) return slots_[i];
    i = (i + 1) & mask;
  }
  slots_[i] = addUnique(text);
  ++used_;
  return slots_[i];
}

void KicadTextPool::endSharing() {
  std::vector<std::string_view>().swap(slots_);
  used_ = 0;
}

}  // namespace comptab
