#include "platform/support/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace comptab {
namespace {

TEST(Environment, Substitution) {
  setEnv("COMPTAB_TEST_DIR", "/opt/tools");
  setEnv("COMPTAB_TEST_EMPTY", "");
  ::unsetenv("COMPTAB_TEST_NONE");
  struct Case {
    const char* text;
    const char* expected;  // null: the substitution fails
  } cases[] = {
      {"plain", "plain"},
      {"$COMPTAB_TEST_DIR/bin/view", "/opt/tools/bin/view"},
      {"${COMPTAB_TEST_DIR}x", "/opt/toolsx"},
      {"a$COMPTAB_TEST_EMPTY.b", "a.b"},
      {"cost $$5", "cost $5"},
      {"50$", "50$"},
      {"$1 and $ and $-", "$1 and $ and $-"},
      {"$COMPTAB_TEST_NONE", nullptr},
      {"${COMPTAB_TEST_NONE}", nullptr},
      {"${COMPTAB_TEST_DIR", nullptr},
      {"${}", nullptr},
  };
  for (const Case& c : cases) {
    const auto result = substituteEnv(c.text);
    if (c.expected == nullptr)
      EXPECT_FALSE(result.has_value()) << c.text;
    else
      EXPECT_EQ(result, c.expected) << c.text;
  }
}

}  // namespace
}  // namespace comptab
