#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(CommandLine, SplitsAtBlanksAndTabsWithoutQuoting) {
  using V = std::vector<std::string>;
  EXPECT_EQ(splitCommandLine(""), V{});
  EXPECT_EQ(splitCommandLine(" \t  "), V{});
  EXPECT_EQ(splitCommandLine("a"), V{"a"});
  EXPECT_EQ(splitCommandLine("  -mode\t\tforce   board.sht "), (V{"-mode", "force", "board.sht"}));
  EXPECT_EQ(splitCommandLine("\"my board.sht\""), (V{"\"my", "board.sht\""}));
}

}  // namespace
}  // namespace comptab
