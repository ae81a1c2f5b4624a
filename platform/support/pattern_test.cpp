#include "platform/support/pattern.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(Pattern, SearchesLikeGrep) {
  struct Case {
    const char* pattern;
    const char* text;
    bool matches;
  } cases[] = {
      {"10k", "10k", true},   {"0k", "10k", true},      {"^0k", "10k", false}, {"^10k$", "10k 1%", false},
      {"R[0-9]+", "xR12", true}, {"a|b", "cb", true},   {"", "anything", true}, {".", "", false},
      {"k$", "10k\xff", false}, {"\xff", "x", false},   // a stray byte never matches as text
  };
  for (const Case& c : cases) EXPECT_EQ(Pattern(c.pattern).matches(c.text), c.matches) << c.pattern << " ~ " << c.text;
}

TEST(Pattern, ABadPatternMatchesNothing) {
  for (const char* bad : {"(", "[a-", "*x", "a{2,1}", "\\"}) {
    Pattern p(bad);
    EXPECT_FALSE(p.ok()) << bad;
    EXPECT_FALSE(p.matches("")) << bad;
    EXPECT_FALSE(p.matches(bad)) << bad;
  }
}

}  // namespace
}  // namespace comptab
