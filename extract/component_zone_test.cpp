#include "extract/component_zone.h"

#include <gtest/gtest.h>

#include <limits>

namespace comptab {
namespace {

TEST(ZoneLabelOfAComponent, OriginsOffsetsAndStyles) {
  const Box region{0, 0, 1000, 800};
  struct Case {
    int origin;
    Point position;
    const char* firstColumn;
    const char* firstRow;
    const char* label;
  } cases[] = {
      {0, {650, 500}, "A", "1", "B-2"},
      {0, {200, 100}, "A", "1", "A-1"},  // on the offset itself
      {0, {199, 500}, "A", "1", ""},     // left of the grid
      {0, {650, 99}, "A", "1", ""},      // above the grid
      {3, {650, 500}, "A", "1", "A-1"},  // counted back from (1000, 800), offset (200, 100) inward
      {3, {100, 50}, "A", "1", "C-3"},
      {1, {950, 500}, "A", "1", ""},     // right of the grid counted from the right
      {2, {650, 750}, "A", "1", ""},     // below the grid counted from the bottom
      {7, {650, 500}, "A", "1", "C-2"},  // unknown origin: from (x1, y1), no offset, no side test
      {0, {650, 500}, "Z", "1", "AA-2"},
      {0, {650, 500}, "a", "1", "-2"},   // a first label of neither style leaves its half empty
      {0, {650, 500}, "", "", "-"},
  };
  for (const Case& c : cases) {
    const ZoneGrid grid{{200, 100}, {300, 300}, c.origin, c.firstColumn, c.firstRow};
    EXPECT_EQ(zoneLabel(grid, c.position, region), c.label)
        << "origin " << c.origin << " at " << c.position.x << "," << c.position.y;
  }
}

TEST(ZoneLabelOfAComponent, DegenerateGridsAndExtremeCoordinates) {
  const Box region{0, 0, 1000, 800};
  EXPECT_EQ(zoneLabel({{0, 0}, {0, 300}, 0, "A", "1"}, {10, 10}, region), "");
  EXPECT_EQ(zoneLabel({{0, 0}, {300, -1}, 0, "A", "1"}, {10, 10}, region), "");
  constexpr int32_t lo = std::numeric_limits<int32_t>::min();
  constexpr int32_t hi = std::numeric_limits<int32_t>::max();
  // Distances beyond 32 bits: a label far out, or none, but never a fault.
  EXPECT_EQ(zoneLabel({{0, 0}, {1, 1}, 0, "1", "1"}, {hi, hi}, {lo, lo, hi, hi}), "-");
  EXPECT_EQ(zoneLabel({{0, 0}, {hi, hi}, 0, "1", "1"}, {hi, hi}, {lo, lo, hi, hi}), "3-3");
  EXPECT_EQ(zoneLabel({{hi, lo}, {7, 7}, 3, "A", "A"}, {lo, hi}, {hi, lo, lo, hi}), "");
}

}  // namespace
}  // namespace comptab
