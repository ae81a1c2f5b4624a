#include "platform/zone_label.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace comptab {
namespace {

TEST(ZoneLabel, Style) {
  struct Case {
    const char* label;
    int style;
  } cases[] = {
      {"ZZ", ZoneLabel::Alphabetic},
      {"007", ZoneLabel::Numeric},
      {"", ZoneLabel::Neither},
      {"a", ZoneLabel::Neither},
      {"A1", ZoneLabel::Neither},
      {"-1", ZoneLabel::Neither},
      // The characters either side of each range.
      {"@", ZoneLabel::Neither},
      {"[", ZoneLabel::Neither},
      {"/", ZoneLabel::Neither},
      {":", ZoneLabel::Neither},
      {"\xC3\x84", ZoneLabel::Neither},
  };
  for (const Case& c : cases) EXPECT_EQ(ZoneLabel::style(c.label), c.style) << '"' << c.label << '"';
}

TEST(ZoneLabel, BothWays) {
  struct Case {
    const char* alpha;
    const char* digits;
    int number;
  } cases[] = {
      {"A", "1", 1},
      {"Z", "26", 26},
      {"AA", "27", 27},
      {"AZ", "52", 52},
      {"ZZ", "702", 702},
      {"AAA", "703", 703},
      {"FXSHRXW", "2147483647", INT_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZoneLabel::alpha2num(c.alpha), c.number) << c.alpha;
    EXPECT_EQ(ZoneLabel::num2alpha(c.number), c.alpha) << c.number;
    EXPECT_EQ(ZoneLabel::digit2num(c.digits), c.number) << c.digits;
    EXPECT_EQ(ZoneLabel::num2digit(c.number), c.digits) << c.number;
  }
  EXPECT_EQ(ZoneLabel::num2digit(0), "0");
  // Leading zeros read, but are not written back.
  EXPECT_EQ(ZoneLabel::digit2num(std::string(1000, '0') + "5"), 5);
}

TEST(ZoneLabel, RoundTrips) {
  for (int n = 1; n <= 20000; ++n) {
    ASSERT_EQ(ZoneLabel::alpha2num(ZoneLabel::num2alpha(n)), n);
    ASSERT_EQ(ZoneLabel::digit2num(ZoneLabel::num2digit(n)), n);
  }
  // About 26 to the 6th, where labels grow to seven letters.
  for (int n : {INT_MAX - 1, 308915776, 308915777}) EXPECT_EQ(ZoneLabel::alpha2num(ZoneLabel::num2alpha(n)), n) << n;
}

// Labels beyond the 32-bit range, of any length, read as nothing.
TEST(ZoneLabel, InvalidInputs) {
  for (const std::string& label : {std::string(), std::string("a"), std::string("A1"), std::string("1"),
                                   std::string("FXSHRXX"), std::string(100000, 'Z')})
    EXPECT_EQ(ZoneLabel::alpha2num(label), -1) << label.substr(0, 10);
  for (const std::string& label :
       {std::string(), std::string("A"), std::string("-1"), std::string("2147483648"), std::string(100000, '9')})
    EXPECT_EQ(ZoneLabel::digit2num(label), -1) << label.substr(0, 10);
  for (int n : {0, INT_MIN}) EXPECT_EQ(ZoneLabel::num2alpha(n), "") << n;
  EXPECT_EQ(ZoneLabel::num2digit(INT_MIN), "");
}

TEST(ZoneLabel, Advance) {
  struct Case {
    const char* first;
    int index;
    const char* expected;
  } cases[] = {
      {"A", 0, "A"},
      {"Z", 1, "AA"},
      {"C", 25, "AB"},
      {"09", 1, "10"},
      {"FXSHRXV", 1, "FXSHRXW"},
      {"A", INT_MAX - 1, "FXSHRXW"},
      {"0", INT_MAX, "2147483647"},
      // Nothing to advance from, or beyond the range.
      {"A", -1, ""},
      {"a", 1, ""},
      {"FXSHRXW", 1, ""},
      {"B", INT_MAX, ""},
      {"2147483647", 1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ZoneLabel::advance(c.first, c.index), c.expected) << c.first << "+" << c.index;
}

}  // namespace
}  // namespace comptab
