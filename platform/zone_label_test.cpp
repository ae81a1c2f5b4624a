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
      {"A", ZoneLabel::Alphabetic}, {"ZZ", ZoneLabel::Alphabetic}, {"0", ZoneLabel::Numeric},
      {"007", ZoneLabel::Numeric},  {"", ZoneLabel::Neither},      {"a", ZoneLabel::Neither},
      {"Ab", ZoneLabel::Neither},   {"A1", ZoneLabel::Neither},    {"1A", ZoneLabel::Neither},
      {" A", ZoneLabel::Neither},   {"-1", ZoneLabel::Neither},    {"\xC3\x84", ZoneLabel::Neither},
      {"@", ZoneLabel::Neither},    {"[", ZoneLabel::Neither},     {"/", ZoneLabel::Neither},
      {":", ZoneLabel::Neither},
  };
  for (const Case& c : cases) EXPECT_EQ(ZoneLabel::style(c.label), c.style) << '"' << c.label << '"';
}

TEST(ZoneLabel, AlphabeticBothWays) {
  struct Case {
    const char* label;
    int number;
  } cases[] = {
      {"A", 1},   {"B", 2},    {"Z", 26},    {"AA", 27},     {"AB", 28},      {"AZ", 52},
      {"BA", 53}, {"ZZ", 702}, {"AAA", 703}, {"ZZZ", 18278}, {"AAAA", 18279}, {"FXSHRXW", INT_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZoneLabel::alpha2num(c.label), c.number) << c.label;
    EXPECT_EQ(ZoneLabel::num2alpha(c.number), c.label) << c.number;
  }
}

TEST(ZoneLabel, NumericBothWays) {
  struct Case {
    const char* label;
    int number;
  } cases[] = {{"0", 0}, {"1", 1}, {"9", 9}, {"10", 10}, {"123", 123}, {"2147483647", INT_MAX}};
  for (const Case& c : cases) {
    EXPECT_EQ(ZoneLabel::digit2num(c.label), c.number) << c.label;
    EXPECT_EQ(ZoneLabel::num2digit(c.number), c.label) << c.number;
  }
  // Leading zeros read, but are not written back.
  EXPECT_EQ(ZoneLabel::digit2num("007"), 7);
  EXPECT_EQ(ZoneLabel::digit2num(std::string(1000, '0') + "5"), 5);
}

TEST(ZoneLabel, RoundTrips) {
  for (int n = 1; n <= 20000; ++n) {
    ASSERT_EQ(ZoneLabel::alpha2num(ZoneLabel::num2alpha(n)), n);
    ASSERT_EQ(ZoneLabel::digit2num(ZoneLabel::num2digit(n)), n);
  }
  for (int n : {INT_MAX - 1, INT_MAX, 1 << 30, 308915776, 308915777}) {
    EXPECT_EQ(ZoneLabel::alpha2num(ZoneLabel::num2alpha(n)), n) << n;
    EXPECT_EQ(ZoneLabel::digit2num(ZoneLabel::num2digit(n)), n) << n;
  }
}

TEST(ZoneLabel, InvalidInputs) {
  for (const std::string& label : {std::string(), std::string("a"), std::string("A1"), std::string("1"),
                                   std::string("FXSHRXX"), std::string("ZZZZZZZ"), std::string(100000, 'Z')})
    EXPECT_EQ(ZoneLabel::alpha2num(label), -1) << label.substr(0, 10);
  for (const std::string& label : {std::string(), std::string("A"), std::string("-1"), std::string("+1"),
                                   std::string("1 "), std::string("2147483648"), std::string(100000, '9')})
    EXPECT_EQ(ZoneLabel::digit2num(label), -1) << label.substr(0, 10);
  for (int n : {0, -1, INT_MIN}) EXPECT_EQ(ZoneLabel::num2alpha(n), "") << n;
  for (int n : {-1, INT_MIN}) EXPECT_EQ(ZoneLabel::num2digit(n), "") << n;
}

TEST(ZoneLabel, Advance) {
  struct Case {
    const char* first;
    int index;
    const char* expected;
  } cases[] = {
      {"A", 0, "A"},
      {"A", 2, "C"},
      {"Y", 1, "Z"},
      {"Z", 1, "AA"},
      {"AZ", 1, "BA"},
      {"ZZ", 1, "AAA"},
      {"C", 25, "AB"},
      {"1", 1, "2"},
      {"0", 10, "10"},
      {"09", 1, "10"},
      {"FXSHRXW", 0, "FXSHRXW"},
      {"FXSHRXV", 1, "FXSHRXW"},
      {"2147483646", 1, "2147483647"},
      // Nothing to advance from, or beyond the range.
      {"A", -1, ""},
      {"a", 1, ""},
      {"", 0, ""},
      {"A1", 0, ""},
      {"FXSHRXW", 1, ""},
      {"B", INT_MAX, ""},
      {"2147483647", 1, ""},
      {"1", INT_MAX, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ZoneLabel::advance(c.first, c.index), c.expected) << c.first << "+" << c.index;
  EXPECT_EQ(ZoneLabel::advance("A", INT_MAX - 1), "FXSHRXW");
  EXPECT_EQ(ZoneLabel::advance("0", INT_MAX), "2147483647");
}

}  // namespace
}  // namespace comptab
