// The order of electrical values as designers write them: 100n < 1u,
// 4k7 = 4.7k, 10k = 10K = 10000, 0R1 < 1R. docs/resource-file.md has the
// table of what is recognised.
#pragma once

#include <optional>
#include <string_view>

namespace comptab {

// The magnitude of a value such as "4k7", "100nF", "2.2 kΩ" or "0R1", or
// none when the text is not one.
std::optional<double> electricalValue(std::string_view text);

// What a value means, for folding rows whose values are spelt differently
// (10K, 10k, 10000, 10 kΩ): electricalValue, with a decimal comma read as
// the point ("4,7K"); none for a text that is not a value.
std::optional<double> valueMeaning(std::string_view text);

// Values by magnitude, before every text that is not a value; equal
// magnitudes (10k, 10K) and texts that are not values in natural order.
// Negative, 0 or positive; 0 only for identical texts.
int compareElectrical(std::string_view a, std::optional<double> aValue, std::string_view b,
                      std::optional<double> bValue);
inline int compareElectrical(std::string_view a, std::string_view b) {
  return compareElectrical(a, electricalValue(a), b, electricalValue(b));
}

}  // namespace comptab
