#include "platform/support/name_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace comptab {
namespace {

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(NameOrder, PairsOfCases) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"", "", 0},
      {"", "A", -1},
      {"R1", "R1", 0},
      {"R9", "R10", -1},
      {"R100", "R99", 1},
      {"r1", "R2", -1},                  // case is ignored before the number decides
      {"R1", "r1", -1},                  // ...but equal-looking names still differ
      {"R01", "R1", -1},                 // leading zeros: equal value, bytes decide
      {"R1A", "R1B", -1},
      {"R1", "R1A", -1},
      {"1", "A", -1},                    // numbers before text
      {"U1.2", "U1.10", -1},
      {"X99999999999999999999", "X100000000000000000000", -1},  // beyond 64 bits
      // A shared start that ends inside a number or a word: the whole run
      // still decides, not the bytes after the shared start.
      {"R12", "R13", -1},
      {"R109", "R11", 1},
      {"R12", "R123", -1},
      {"R012", "R12", -1},
      {"R0012", "R012", -1},
      {"R1200", "R1200A", -1},
      {"Ab2", "AB10", -1},
      {"AB1", "Ab1", -1},
      {"R10", "R9", 1},
      {"R90", "R9A", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sign(compareNames(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ(sign(compareNames(c.b, c.a)), -c.expected) << c.b << " vs " << c.a;
  }
}

TEST(NameOrder, IsATotalOrderOnAMixedSet) {
  const std::vector<std::string> names = {"", "0", "00", "1", "01", "a", "A", "a1", "A1", "a01", "a1b", "a1B",
                                          "a10", "a9", "b", "B", "-", "_x", "x_", "R1-2", "R1-10", "\xe9"};
  for (const auto& a : names)
    for (const auto& b : names) {
      const int ab = sign(compareNames(a, b));
      EXPECT_EQ(ab, -sign(compareNames(b, a))) << a << " / " << b;
      EXPECT_EQ(ab == 0, a == b) << a << " / " << b;
      for (const auto& c : names)
        if (ab < 0 && sign(compareNames(b, c)) < 0) {
          EXPECT_LT(compareNames(a, c), 0) << a << " < " << b << " < " << c;
        }
    }
}

}  // namespace
}  // namespace comptab
