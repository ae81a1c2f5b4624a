#include "platform/kicad/kicad_text_pool.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace comptab {

namespace {

constexpr size_t kBlockBytes = size_t{64} << 10;
// A text longer than this gets a block of its own, so a block wastes at
// most this much at its end.
constexpr size_t kLongText = kBlockBytes / 8;
// The texts remembered for sharing, two a set, the one used last first: a
// text that recurs (a field name, a footprint, the sheet path) stays in its
// set and is shared; one that does not (a reference) soon leaves it. Small
// enough to stay in the cache, and no table that grows with the file.
constexpr size_t kSets = size_t{1} << 12;

// Most texts are short (a field name, a value, a reference): a word at a
// time, mixed well enough for a table of a power of two.
size_t hashOf(std::string_view text) {
  uint64_t h = 0x9E3779B97F4A7C15ULL ^ text.size();
  const char* p = text.data();
  size_t n = text.size();
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t word = 0;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 31;
  }
  if (n > 0) {
    uint64_t word = 0;
    std::memcpy(&word, p, n);
    h = (h ^ word) * 0x94D049BB133111EBULL;
  }
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  return static_cast<size_t>(h ^ (h >> 32));
}

}  // namespace

char* KicadTextPool::room(size_t size) {
  stored_ += size;
  if (size > kLongText) return longTexts_.emplace_back(std::make_unique_for_overwrite<char[]>(size)).get();
  if (size > left_) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
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

std::string_view KicadTextPool::add(std::string_view text) {
  if (text.empty()) return {};
  if (slots_.empty()) slots_.resize(2 * kSets);
  std::string_view* set = &slots_[2 * (hashOf(text) & (kSets - 1))];
  if (set[0] == text) return set[0];
  if (set[1] != text) set[1] = addUnique(text);
  std::swap(set[0], set[1]);
  return set[0];
}

void KicadTextPool::endSharing() { std::vector<std::string_view>().swap(slots_); }

}  // namespace comptab
