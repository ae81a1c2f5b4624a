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
