#include "platform/prop_spec.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/scratch_dir.h"

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

TEST_F(PropSpecTest, DisplayNamesWithAndWithoutEntry) {
  PropSpecFile titles;
  ASSERT_NE(readText(titles, "component = [[\"reference\", \"Reference\"], [\"partName\", \"部品名\"]]\n"), 0);
  struct Case {
    int objectType;
    const char* property;
    const char* shown;
  } cases[] = {
      {7, "partName", "部品名"},
      // Exact names only: no entry gives the name back.
      {7, "Reference", "Reference"},
      {7, "value", "value"},
      // Other object types have no entries yet.
      {8, "reference", "reference"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(titles.displayString(c.objectType, c.property), c.shown) << c.objectType << " " << c.property;
  EXPECT_NE(readText(titles, "component = []\n"), 0);
  EXPECT_EQ(titles.displayString(PropSpecFile::kComponent, "partName"), "partName");
}

TEST_F(PropSpecTest, FailedReadKeepsTheNamesBefore) {
  PropSpecFile titles;
  ASSERT_NE(readText(titles, "component = [[\"reference\", \"Ref\"]]\n"), 0);
  EXPECT_EQ(readText(titles, "component = [[\"partName\", \"Part\"], [\"reference\", \"\"]]\n"), 0);
  EXPECT_EQ(titles.displayString(7, "reference"), "Ref");
  EXPECT_EQ(titles.displayString(7, "partName"), "partName");
}

// The first reasons are shown whole, the rest by how they start.
TEST_F(PropSpecTest, BrokenFilesGiveTheirReason) {
  const std::string rows = "component must be an array of [property, display name] rows, not ";
  struct Case {
    const char* text;
    std::string reason;  // how it starts after "<path>: "
  } cases[] = {
      {"", "component is missing: the file names no properties"},
      {"[component]\nreference = \"Ref\"\n", rows + "a table or an array of mixed rows"},
      {"component = \"reference\"\n", rows + "the text \"reference\""},
      {"component = [[\"reference\", \"Ref\", \"x\"]]\n", "component rows must have 2 cells"},
      {"component = [[1, \"Ref\"]]\n", "component row 1: the property must be a string that is not empty, not 1"},
      {"component = [[\"\", \"Ref\"]]\n", "component row 1: the property must be"},
      {"component = [[\"a\", \"A\"], [\"reference\", \"\"]]\n", "component row 2: the display name must be"},
      {"component = [[\"reference\", \"R\"], [\"reference\", \"Ref\"]]\n",
       "component row 2: the text \"reference\" is given again (first in row 1)"},
      // Control characters are made visible.
      {"component = [[\"a\\tb\", \"R\"], [\"a\\tb\", \"Ref\"]]\n", "component row 2: the text \"a?b\" is given again"},
  };
  for (const Case& c : cases) {
    PropSpecFile titles;
    std::string reason;
    EXPECT_EQ(readText(titles, c.text, &reason), 0) << c.text;
    EXPECT_EQ(reason.rfind(path + ": " + c.reason, 0), 0u) << reason;
  }
}

}  // namespace
}  // namespace comptab
