#include "platform/sheet/zone_label.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <utility>

namespace comptab {
namespace {

// Just outside the ranges: '@' and '[' around the letters, '/' and ':'
// around the digits, and a letter outside ASCII.
TEST(ZoneLabel, Style) {
  EXPECT_EQ(ZoneLabel::style("ZZ"), ZoneLabel::Alphabetic);
  EXPECT_EQ(ZoneLabel::style("007"), ZoneLabel::Numeric);
  for (const char* label : {"", "A1", "@", "[", "/", ":", "\xC3\x84"})
    EXPECT_EQ(ZoneLabel::style(label), ZoneLabel::Neither) << '"' << label << '"';
}

// Letters count in bijective base 26: A is 1, Z 26, AA 27.
TEST(ZoneLabel, BothWays) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {"Z", "26", 26}, {"AA", "27", 27}, {"ZZ", "702", 702}, {"FXSHRXW", "2147483647", INT_MAX}};
  for (const auto& [alpha, digits, number] : cases) {
    EXPECT_EQ(ZoneLabel::alpha2num(alpha), number) << alpha;
    EXPECT_EQ(ZoneLabel::num2alpha(number), alpha) << number;
    EXPECT_EQ(ZoneLabel::digit2num(digits), number) << digits;
  }
  // Leading zeros read, but are not written back.
  EXPECT_EQ(ZoneLabel::digit2num(std::string(1000, '0') + "5"), 5);
  for (int n = 1; n <= 20000; ++n) ASSERT_EQ(ZoneLabel::alpha2num(ZoneLabel::num2alpha(n)), n);
  // About 26 to the 6th, where labels grow to seven letters.
  for (int n : {308915776, 308915777}) EXPECT_EQ(ZoneLabel::alpha2num(ZoneLabel::num2alpha(n)), n) << n;
}

// Labels beyond the 32-bit range, of any length, read as nothing.
TEST(ZoneLabel, InvalidInputs) {
  for (const std::string& label :
       {std::string(), std::string("a"), std::string("1"), std::string("FXSHRXX"), std::string(100000, 'Z')})
    EXPECT_EQ(ZoneLabel::alpha2num(label), -1) << label.substr(0, 10);
  for (const std::string& label :
       {std::string("A"), std::string("-1"), std::string("2147483648"), std::string(100000, '9')})
    EXPECT_EQ(ZoneLabel::digit2num(label), -1) << label.substr(0, 10);
  for (int n : {0, INT_MIN}) EXPECT_EQ(ZoneLabel::num2alpha(n), "") << n;
  EXPECT_EQ(ZoneLabel::num2digit(INT_MIN), "");
}

TEST(ZoneLabel, Advance) {
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
    EXPECT_EQ(ZoneLabel::advance(first, index), expected) << first << "+" << index;
}

}  // namespace
}  // namespace comptab
