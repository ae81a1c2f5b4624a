#include "design/zone_offset.h"

#include <gtest/gtest.h>

#include <limits>

namespace comptab {
namespace {

TEST(ZoneOffset, AutomaticSettings) {
  const Point stored{7, 9};
  struct Case {
    Box region;
    Point pitch;
    int autoset;
    Point expected;
  } cases[] = {
      {{0, 0, 1000, 800}, {300, 300}, 1, {200, 100}},
      {{0, 0, 1000, 800}, {300, 300}, 2, {50, 250}},
      {{0, 0, 1001, 800}, {300, 300}, 1, {200, 100}},   // the half is truncated before the remainder
      {{0, 0, 1000, 800}, {300, 300}, 0, stored},
      {{0, 0, 1000, 800}, {300, 300}, 3, stored},
      {{0, 0, 100, 100}, {300, 300}, 2, {-100, -100}},  // remainder keeps the dividend's sign
      {{500, 500, 0, 0}, {300, 300}, 1, {-250, -250}},
      {{0, 0, 1000, 800}, {0, 300}, 1, stored},         // no pitch: the offset stays as stored
      {{0, 0, 1000, 800}, {300, -5}, 2, stored},
  };
  for (const Case& c : cases) {
    const Point got = automaticOffset(c.region, c.pitch, c.autoset, stored);
    EXPECT_EQ(got, c.expected) << "setting " << c.autoset << " width " << c.region.x2 - c.region.x1;
  }
}

TEST(ZoneOffset, ExtremeRegionsDoNotOverflow) {
  constexpr int32_t lo = std::numeric_limits<int32_t>::min();
  constexpr int32_t hi = std::numeric_limits<int32_t>::max();
  const Point got = automaticOffset({lo, lo, hi, hi}, {1000, 1000}, 2, {0, 0});
  EXPECT_EQ(got, (Point{147, 147}));  // ((2^32 - 1 - 1000) / 2) mod 1000
}

}  // namespace
}  // namespace comptab
