#include "platform/rsc/prop_spec.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

class PropSpecTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }

  int readText(PropSpecFile& titles, const std::string& text, std::string* reason = nullptr) {
    path = dir.write("PropSpec.tbl", text);
    return titles.readFrom(path, reason);
  }

  ScratchDir dir;
  std::string path;
};

TEST_F(PropSpecTest, DisplayNamesAndAFailedReadKeepsTheNamesBefore) {
  PropSpecFile titles;
  ASSERT_NE(readText(titles, "component = [[\"reference\", \"Ref\"], [\"partName\", \"部品名\"]]\n"), 0);
  EXPECT_EQ(titles.displayString(7, "partName"), "部品名");
  // Exact names only: no entry gives the name back.
  EXPECT_EQ(titles.displayString(7, "Reference"), "Reference");
  // Other object types have no entries yet.
  EXPECT_EQ(titles.displayString(8, "reference"), "reference");
  EXPECT_EQ(readText(titles, "component = [[\"value\", \"Value\"], [\"reference\", \"\"]]\n"), 0);
  EXPECT_EQ(titles.displayString(7, "reference"), "Ref");
  EXPECT_EQ(titles.displayString(7, "value"), "value");
  EXPECT_NE(readText(titles, "component = []\n"), 0);
  EXPECT_EQ(titles.displayString(PropSpecFile::kComponent, "partName"), "partName");
}

// The first reasons are shown whole, the rest by how they start. An empty
// file is run end to end.
TEST_F(PropSpecTest, BrokenFilesGiveTheirReason) {
  const std::string rows = "component must be an array of [property, display name] rows, not ";
  const std::pair<const char*, std::string> cases[] = {
      {"[component]\nreference = \"Ref\"\n", rows + "a table or an array of mixed rows"},
      {"component = [[\"reference\", \"Ref\", \"x\"]]\n", "component rows must have 2 cells"},
      {"component = [[1, \"Ref\"]]\n", "component row 1: the property must be a string that is not empty, not 1"},
      {"component = [[\"\", \"Ref\"]]\n", "component row 1: the property must be"},
      {"component = [[\"a\", \"A\"], [\"reference\", \"\"]]\n", "component row 2: the display name must be"},
      {"component = [[\"reference\", \"R\"], [\"reference\", \"Ref\"]]\n",
       "component row 2: the text \"reference\" is given again (first in row 1)"},
      // Control characters are made visible.
      {"component = [[\"a\\tb\", \"R\"], [\"a\\tb\", \"Ref\"]]\n", "component row 2: the text \"a?b\" is given again"},
  };
  for (const auto& [text, expected] : cases) {
    PropSpecFile titles;
    std::string reason;
    EXPECT_EQ(readText(titles, text, &reason), 0) << text;
    EXPECT_EQ(reason.rfind(path + ": " + expected, 0), 0u) << reason;
  }
}

}  // namespace
}  // namespace comptab
