// The order in which a person expects names to sort: digit runs compare by
// their numeric value, other runs ignore ASCII case, so
//   C1 < C2 < C10 < R1 < R2 < R10 < U1.
// Names equal in that sense (R01 and R1, r1 and R1) are then ordered by
// their bytes, so the order is total: different names never compare equal.
#pragma once

#include <string_view>

namespace comptab {

// Negative, 0 or positive; 0 only for identical names.
int compareNames(std::string_view a, std::string_view b);

}  // namespace comptab
