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
    path = dir.file("PropSpec.tbl", text);
    return titles.readFrom(path, reason);
  }

  ScratchDir dir;
  std::string path;
};

TEST_F(PropSpecTest, DisplayNamesWithAndWithoutEntry) {
  PropSpecFile titles;
  ASSERT_NE(readText(titles, R"(
component = [
  ["reference", "Reference"],
  ["partName",  "部品名"],
  ["_ZONE",     "Zone"],
]
)"),
            0);
  struct Case {
    int objectType;
    const char* property;
    const char* shown;
  } cases[] = {
      {7, "reference", "Reference"},
      {7, "partName", "部品名"},
      {7, "_ZONE", "Zone"},
      // Exact names only: no entry gives the name back.
      {7, "Reference", "Reference"},
      {7, "reference ", "reference "},
      {7, "value", "value"},
      {7, "", ""},
      // Other object types have no entries yet.
      {8, "reference", "reference"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(titles.displayString(c.objectType, c.property), c.shown) << c.objectType << " " << c.property;
}

TEST_F(PropSpecTest, EmptyListIsRead) {
  PropSpecFile titles;
  EXPECT_NE(readText(titles, "component = []\n"), 0);
  EXPECT_EQ(titles.displayString(PropSpecFile::kComponent, "reference"), "reference");
}

TEST_F(PropSpecTest, FailedReadKeepsTheNamesBefore) {
  PropSpecFile titles;
  ASSERT_NE(readText(titles, "component = [[\"reference\", \"Ref\"]]\n"), 0);
  EXPECT_EQ(readText(titles, "component = [[\"reference\", \"\"]]\n"), 0);
  EXPECT_EQ(titles.displayString(7, "reference"), "Ref");
  ASSERT_NE(readText(titles, "component = [[\"partName\", \"Part\"]]\n"), 0);
  EXPECT_EQ(titles.displayString(7, "reference"), "reference");
  EXPECT_EQ(titles.displayString(7, "partName"), "Part");
}

TEST_F(PropSpecTest, BrokenFilesGiveTheirReason) {
  struct Case {
    const char* text;
    const char* reason;  // after "<path>: "
  } cases[] = {
      {"", "component is missing: the file names no properties"},
      {"[component]\nreference = \"Ref\"\n",
       "component must be an array of [property, display name] rows, not a table or an array of mixed rows"},
      {"component = \"reference\"\n",
       "component must be an array of [property, display name] rows, not the text \"reference\""},
      {"component = [\"reference\", \"Ref\"]\n", "component rows must have 2 cells (property, display name), not 1"},
      {"component = [[\"reference\", \"Ref\", \"x\"]]\n",
       "component rows must have 2 cells (property, display name), not 3"},
      {"component = [[\"a\", \"A\"], [\"b\"]]\n",
       "component must be an array of [property, display name] rows, not a table or an array of mixed rows"},
      {"component = [[\"\", \"Ref\"]]\n",
       "component row 1: the property must be a string that is not empty, not the text \"\""},
      {"component = [[1, \"Ref\"]]\n", "component row 1: the property must be a string that is not empty, not 1"},
      {"component = [[\"a\", \"A\"], [\"reference\", \"\"]]\n",
       "component row 2: the display name must be a string that is not empty, not the text \"\""},
      {"component = [[\"reference\", 2]]\n",
       "component row 1: the display name must be a string that is not empty, not 2"},
      {"component = [[\"reference\", \"R\"], [\"reference\", \"Ref\"]]\n",
       "component row 2: the text \"reference\" is given again (first in row 1)"},
      {"component = [[\"a\\tb\", \"R\"], [\"a\\tb\", \"Ref\"]]\n",
       "component row 2: the text \"a?b\" is given again (first in row 1)"},
      {"formatVersion = 1.0\ncomponent = []\n", "formatVersion 1.0 is not one this program reads (it reads 1)"},
  };
  for (const Case& c : cases) {
    PropSpecFile titles;
    std::string reason;
    EXPECT_EQ(readText(titles, c.text, &reason), 0) << c.text;
    EXPECT_EQ(reason, path + ": " + c.reason);
  }
}

TEST_F(PropSpecTest, MissingFile) {
  PropSpecFile titles;
  std::string reason;
  const std::string missing = dir.path() + "/eng/PropSpec.tbl";
  EXPECT_EQ(titles.readFrom(missing, &reason), 0);
  EXPECT_EQ(reason, missing + ":1:1: cannot open the file: No such file or directory");
}

}  // namespace
}  // namespace comptab
