// The property names the components of one table carry, gathered while the
// rows are made, so that a name the resource file asks for and no component
// has can be told, with the closest one that does occur.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace comptab {

class NameCensus {
 public:
  // Called for every property of every component, `place` being its place
  // in the component's list. Components mostly list the same names in the
  // same order, so the name last seen at that place is compared first:
  // cheaper than hashing. The set holds the few dozen distinct names.
  void add(size_t place, std::string_view name) {
    if (place < recent_.size() && recent_[place] == name) return;
    auto found = names_.find(name);
    if (found == names_.end()) found = names_.emplace(name).first;
    if (place >= recent_.size()) recent_.resize(place + 1);
    recent_[place] = *found;
  }
  bool has(std::string_view name) const { return names_.find(name) != names_.end(); }
  void clear() {
    recent_.clear();
    names_.clear();
  }
  size_t size() const { return names_.size(); }
  // Calls `visit` for each name, in no particular order.
  template <typename Visit>
  void forEach(Visit visit) const {
    for (const std::string& name : names_) visit(std::string_view(name));
  }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_set<std::string, Hash, std::equal_to<>> names_;
  // Views into names_, whose nodes never move.
  std::vector<std::string_view> recent_;
};

// The name among `census` and `alsoPresent` closest to `name` when case is
// ignored (a name that differs only in case first, then the fewest edits,
// then the first in alphabetical order), or empty when none is within a
// third of the name's length (2 edits at least; 1 for a name of up to 4
// letters).
std::string closestName(std::string_view name, const NameCensus& census,
                        const std::vector<std::string_view>& alsoPresent);

}  // namespace comptab
