#include "platform/sheet/zone_grid.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

namespace comptab {
namespace {

// Just outside the ranges: '@' and '[' around the letters, '/' and ':'
// around the digits, and a letter outside ASCII.
TEST(ZoneAxis, Style) {
  EXPECT_EQ(ZoneAxis::style("ZZ"), ZoneAxis::Alphabetic);
  EXPECT_EQ(ZoneAxis::style("007"), ZoneAxis::Numeric);
  for (const char* label : {"", "A1", "@", "[", "/", ":", "\xC3\x84"})
    EXPECT_EQ(ZoneAxis::style(label), ZoneAxis::Neither) << '"' << label << '"';
}

// Letters count in bijective base 26: A is 1, Z 26, AA 27.
TEST(ZoneAxis, BothWays) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {"Z", "26", 26}, {"AA", "27", 27}, {"ZZ", "702", 702}, {"FXSHRXW", "2147483647", INT_MAX}};
  for (const auto& [alpha, digits, number] : cases) {
    EXPECT_EQ(ZoneAxis::alpha2num(alpha), number) << alpha;
    EXPECT_EQ(ZoneAxis::num2alpha(number), alpha) << number;
    EXPECT_EQ(ZoneAxis::digit2num(digits), number) << digits;
  }
  // Leading zeros read, but are not written back.
  EXPECT_EQ(ZoneAxis::digit2num(std::string(1000, '0') + "5"), 5);
  for (int n = 1; n <= 20000; ++n) ASSERT_EQ(ZoneAxis::alpha2num(ZoneAxis::num2alpha(n)), n);
  // About 26 to the 6th, where labels grow to seven letters.
  for (int n : {308915776, 308915777}) EXPECT_EQ(ZoneAxis::alpha2num(ZoneAxis::num2alpha(n)), n) << n;
}

// Labels beyond the 32-bit range, of any length, read as nothing.
TEST(ZoneAxis, InvalidInputs) {
  for (const std::string& label :
       {std::string(), std::string("a"), std::string("1"), std::string("FXSHRXX"), std::string(100000, 'Z')})
    EXPECT_EQ(ZoneAxis::alpha2num(label), -1) << label.substr(0, 10);
  for (const std::string& label :
       {std::string("A"), std::string("-1"), std::string("2147483648"), std::string(100000, '9')})
    EXPECT_EQ(ZoneAxis::digit2num(label), -1) << label.substr(0, 10);
  for (int n : {0, INT_MIN}) EXPECT_EQ(ZoneAxis::num2alpha(n), "") << n;
  EXPECT_EQ(ZoneAxis::num2digit(INT_MIN), "");
}

TEST(ZoneAxis, Advance) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"Z", 1, "AA"},
      {"C", 25, "AB"},
      {"09", 1, "10"},
      {"A", INT_MAX - 1, "FXSHRXW"},
      // Nothing to advance from, or beyond the range.
      {"A", -1, ""},
      {"a", 1, ""},
      {"B", INT_MAX, ""},
      {"2147483647", 1, ""},
  };
  for (const auto& [first, index, expected] : cases)
    EXPECT_EQ(ZoneAxis::advance(first, index), expected) << first << "+" << index;
}

TEST(ZoneGrid, LabelOriginsOffsetsAndStyles) {
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
  };
  for (const Case& c : cases) {
    const ZoneGrid grid{{200, 100}, {300, 300}, c.origin, c.firstColumn, c.firstRow};
    EXPECT_EQ(zoneLabel(grid, c.position, region), c.label)
        << "origin " << c.origin << " at " << c.position.x << "," << c.position.y;
  }
}

TEST(ZoneGrid, LabelRowFirstAsAKiCadFrameNamesZones) {
  // An A4 page in micrometres: a 10 mm border, 50 mm cells, columns 1.., rows A..
  const Box page{0, 0, 297000, 210000};
  const ZoneGrid grid{{10000, 10000}, {50000, 50000}, 0, "1", "A", true};
  EXPECT_EQ(zoneLabel(grid, {41910, 66040}, page), "B1");
  EXPECT_EQ(zoneLabel(grid, {160020, 60960}, page), "B4");
  EXPECT_EQ(zoneLabel(grid, {5000, 66040}, page), "");  // in the border
}

TEST(ZoneGrid, LabelDegenerateGridsAndExtremeCoordinates) {
  const Box region{0, 0, 1000, 800};
  EXPECT_EQ(zoneLabel({{0, 0}, {0, 300}, 0, "A", "1"}, {10, 10}, region), "");
  EXPECT_EQ(zoneLabel({{0, 0}, {300, -1}, 0, "A", "1"}, {10, 10}, region), "");
  constexpr int32_t lo = std::numeric_limits<int32_t>::min();
  constexpr int32_t hi = std::numeric_limits<int32_t>::max();
  // Distances beyond 32 bits: a label far out, or none, but never a fault.
  EXPECT_EQ(zoneLabel({{0, 0}, {1, 1}, 0, "1", "1"}, {hi, hi}, {lo, lo, hi, hi}), "");
  EXPECT_EQ(zoneLabel({{0, 0}, {hi, hi}, 0, "1", "1"}, {hi, hi}, {lo, lo, hi, hi}), "3-3");
  EXPECT_EQ(zoneLabel({{hi, lo}, {7, 7}, 3, "A", "A"}, {lo, hi}, {hi, lo, lo, hi}), "");
}

// Either half of a label missing leaves the whole zone empty, never "-1",
// "A-" or "-".
TEST(ZoneGrid, HalfALabelIsNone) {
  const Box region{0, 0, 1000, 800};
  const struct {
    const char* column;
    const char* row;
    Point position;
  } cases[] = {
      {"a", "1", {10, 10}},  {"A1", "1", {10, 10}},       {"", "1", {10, 10}},         {"A", "a", {10, 10}},
      {"A", "", {10, 10}},   {"", "", {10, 10}},          {"FXSHRXW", "1", {600, 10}}, {"A", "2147483647", {10, 600}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(zoneLabel({{0, 0}, {500, 500}, 0, c.column, c.row}, c.position, region), "") << c.column << "|" << c.row;
  EXPECT_EQ(zoneLabel({{0, 0}, {500, 500}, 0, "FXSHRXW", "2147483647"}, {10, 10}, region), "FXSHRXW-2147483647");
}

TEST(ZoneGrid, AutomaticOffsetSettings) {
  const Point stored{7, 9};
  struct Case {
    Box region;
    Point pitch;
    int autoset;
    Point expected;
  } cases[] = {
      {{0, 0, 1000, 800}, {300, 300}, 1, {200, 100}},
      {{0, 0, 1000, 800}, {300, 300}, 2, {50, 250}},
      {{0, 0, 1001, 800}, {300, 300}, 1, {200, 100}},  // the half is truncated before the remainder
      {{0, 0, 1000, 800}, {300, 300}, 0, stored},
      {{0, 0, 1000, 800}, {300, 300}, 3, stored},
      {{0, 0, 100, 100}, {300, 300}, 2, {-100, -100}},  // remainder keeps the dividend's sign
      {{500, 500, 0, 0}, {300, 300}, 1, {-250, -250}},
      {{0, 0, 1000, 800}, {0, 300}, 1, stored},  // no pitch: the offset stays as stored
      {{0, 0, 1000, 800}, {300, -5}, 2, stored},
  };
  for (const Case& c : cases) {
    const Point got = automaticOffset(c.region, c.pitch, c.autoset, stored);
    EXPECT_EQ(got, c.expected) << "setting " << c.autoset << " width " << c.region.x2 - c.region.x1;
  }
}

TEST(ZoneGrid, AutomaticOffsetOfExtremeRegionsDoesNotOverflow) {
  constexpr int32_t lo = std::numeric_limits<int32_t>::min();
  constexpr int32_t hi = std::numeric_limits<int32_t>::max();
  const Point got = automaticOffset({lo, lo, hi, hi}, {1000, 1000}, 2, {0, 0});
  EXPECT_EQ(got, (Point{147, 147}));  // ((2^32 - 1 - 1000) / 2) mod 1000
}

}  // namespace
}  // namespace comptab
