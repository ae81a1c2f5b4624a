#include "table/property_name.h"

#include <deque>
#include <vector>

namespace comptab {

namespace {

// Open addressing over a power-of-two array of ids: every row looks up a
// few dozen names, so the lookup is kept to a short hash and one compare.
class NameTable {
 public:
  std::optional<NameId> find(std::string_view name) const {
    const size_t slot = slotOf(name);
    return slots_[slot] == kEmpty ? std::nullopt : std::optional<NameId>(slots_[slot]);
  }

  NameId intern(std::string_view name) {
    size_t slot = slotOf(name);
    if (slots_[slot] != kEmpty) return slots_[slot];
    const auto id = static_cast<NameId>(texts_.size());
    texts_.emplace_back(name);
    slots_[slot] = id;
    // Keep the table at most half full.
    if (texts_.size() * 2 > slots_.size()) grow();
    return id;
  }

  const std::string& text(NameId id) const { return texts_[id]; }

 private:
  static constexpr NameId kEmpty = UINT32_MAX;

  static uint64_t hash(std::string_view name) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
  }

  // The slot that holds `name`, or the empty one where it would go.
  size_t slotOf(std::string_view name) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash(name) & mask;; slot = (slot + 1) & mask)
      if (slots_[slot] == kEmpty || texts_[slots_[slot]] == name) return slot;
  }

  void grow() {
    slots_.assign(slots_.size() * 2, kEmpty);
    for (NameId id = 0; id < texts_.size(); ++id) slots_[slotOf(texts_[id])] = id;
  }

  std::vector<NameId> slots_ = std::vector<NameId>(64, kEmpty);
  std::deque<std::string> texts_;  // a deque: texts handed out never move
};

NameTable& names() {
  static NameTable table;
  return table;
}

}  // namespace

NameId internName(std::string_view name) { return names().intern(name); }

std::optional<NameId> knownName(std::string_view name) { return names().find(name); }

const std::string& nameText(NameId id) { return names().text(id); }

}  // namespace comptab
