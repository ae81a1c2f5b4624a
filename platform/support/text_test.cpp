#include "platform/support/text.h"

#include <gtest/gtest.h>

#include <string>

namespace comptab {
namespace {

TEST(Text, ParseInt) {
  int v = 7;
  EXPECT_TRUE(parseInt("-12", v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(parseInt("+3", v));
  EXPECT_EQ(v, 3);
  for (const char* bad : {"", "12x", "x", "99999999999", " 1", "+"}) {
    v = 7;
    EXPECT_FALSE(parseInt(bad, v)) << bad;
    EXPECT_EQ(v, 7) << bad;
  }
}

TEST(Text, PrintableLineEscapesWhatCouldForgeALineOrReachATerminal) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"plain text", "plain text"},
      {"a\nERROR 1: b", "a\\x0AERROR 1: b"},
      {"tab\there", "tab\\x09here"},
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"esc\x1b[2J del\x7f", "esc\\x1B[2J del\\x7F"},
      {"back\\slash", "back\\\\slash"},
      {"\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"c1 \xc2\x9b next \xc2\xa0", "c1 \\xC2\\x9B next \xc2\xa0"},
      {"bad \xff \xc3 \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80",
       "bad \\xFF \\xC3 \\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
      {"cut \xe2\x82", "cut \\xE2\\x82"},
  };
  for (const auto& c : cases) EXPECT_EQ(printableLine(c.in, 1000), c.out) << c.in;
  EXPECT_EQ(printableLine("abcdef", 3), "abc [cut: 6 bytes in all]");
  // The cut never splits a character: it comes after the whole of it.
  EXPECT_EQ(printableLine("ab\xe2\x82\xac" "d", 3), "ab\xe2\x82\xac [cut: 6 bytes in all]");
}

TEST(Text, NumbersReadAsPrintfWritesThem) {
  for (long long v : {0LL, -7LL, 7LL, 42LL, -42LL, 123LL, -123LL, 2147483647LL, -2147483648LL, 65535LL}) {
    EXPECT_EQ(decimalText(v), strprintf("%lld", v));
    EXPECT_EQ(paddedDecimal(v, 3), strprintf("%03lld", v)) << v;
  }
  for (double v : {0.0, -0.0, 1.0005, 2.675, -12.3456, 0.125, 1e300, -1e-300, 90.00000000000001, 2147483.647}) {
    EXPECT_EQ(fixedText(v, 3), strprintf("%.3f", v)) << v;
    EXPECT_EQ(fixedText(v, 2), strprintf("%.2f", v)) << v;
  }
}

TEST(Text, StrprintfGrowsPastItsBuffer) {
  EXPECT_EQ(strprintf("%03d|%.3f|%.2f", 7, 1.5, 90.0), "007|1.500|90.00");
  const std::string longText(1000, 'x');
  EXPECT_EQ(strprintf("<%s>", longText.c_str()), "<" + longText + ">");
}

}  // namespace
}  // namespace comptab
