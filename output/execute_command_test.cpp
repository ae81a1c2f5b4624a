#include "output/execute_command.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace comptab {
namespace {

using Args = std::vector<std::string>;

TEST(ExecuteCommand, WordsBecomeArguments) {
  ::setenv("COMPTAB_TEST_TOOLS", "/opt/tools", 1);
  ::unsetenv("COMPTAB_TEST_NONE");
  struct Case {
    const char* command;
    const char* program;  // null: the command is refused
    Args args;
  } cases[] = {
      {"/usr/bin/viewer", "/usr/bin/viewer", {"viewer", "/out/bom.txt"}},
      {"  viewer   -a  ", "viewer", {"viewer", "-a", "/out/bom.txt"}},
      {"viewer\t-a", "viewer\t-a", {"viewer\t-a", "/out/bom.txt"}},  // tabs belong to the word
      {"$COMPTAB_TEST_TOOLS/view ${COMPTAB_TEST_TOOLS}/style", "/opt/tools/view",
       {"view", "/opt/tools/style", "/out/bom.txt"}},
      {"", nullptr, {}},
      {"   ", nullptr, {}},
      {"$COMPTAB_TEST_NONE/view", nullptr, {}},
      {"view $COMPTAB_TEST_NONE", nullptr, {}},
      {"/usr/bin/", nullptr, {}},
  };
  for (const Case& c : cases) {
    const auto command = buildExecuteCommand(c.command, "/out/bom.txt");
    if (c.program == nullptr) {
      EXPECT_FALSE(command.has_value()) << c.command;
      continue;
    }
    ASSERT_TRUE(command.has_value()) << c.command;
    EXPECT_EQ(command->program, c.program) << c.command;
    EXPECT_EQ(command->args, c.args) << c.command;
  }
}

TEST(ExecuteCommand, AtMostTwentyNineWordsAfterTheProgram) {
  std::string command = "viewer";
  for (size_t i = 0; i < kMaxExecuteWords; ++i) command += " w";
  const auto fits = buildExecuteCommand(command, "out");
  ASSERT_TRUE(fits.has_value());
  EXPECT_EQ(fits->args.size(), kMaxExecuteWords + 2);
  EXPECT_FALSE(buildExecuteCommand(command + " w", "out").has_value());
}

}  // namespace
}  // namespace comptab
