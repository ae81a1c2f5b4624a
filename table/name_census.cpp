#include "table/name_census.h"

#include <algorithm>

#include "platform/support/text.h"

namespace comptab {

std::string closestName(std::string_view name, const NameCensus& census,
                        const std::vector<std::string_view>& alsoPresent) {
  // Short names are near too many others for two edits to mean a slip.
  const size_t limit = name.size() <= 4 ? 1 : std::max<size_t>(2, name.size() / 3);
  std::string_view best;
  size_t bestDistance = limit + 1;
  const auto consider = [&](std::string_view candidate) {
    const size_t distance = editDistanceNoCase(name, candidate);
    if (distance < bestDistance || (distance == bestDistance && !best.empty() && candidate < best)) {
      best = candidate;
      bestDistance = distance;
    }
  };
  census.forEach(consider);
  for (const std::string_view candidate : alsoPresent) consider(candidate);
  return std::string(best);
}

}  // namespace comptab
