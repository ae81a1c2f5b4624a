// The project file's text variables and variants, in file order, and a
// table of files refused, each with its whole reason.
#include "platform/kicad/kicad_project_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(KicadProjectFileTest, TextVariablesAndVariantsInFileOrder) {
  struct Case {
    const char* name;
    const char* json;
    Pairs variables;
    Pairs variants;
  };
  const Case cases[] = {
      {"neither", R"({"meta": {"version": 3}})", {}, {}},
      {"nulls", R"({"text_variables": null, "schematic": {"variants": null}})", {}, {}},
      {"no variants in the schematic section", R"({"schematic": {"drawing": {}}})", {}, {}},
      {"variables keep the file's order",
       R"({"text_variables": {"ZED": "last?", "ALPHA": "", "R": "4k7"}})",
       {{"ZED", "last?"}, {"ALPHA", ""}, {"R", "4k7"}},
       {}},
      {"variants as objects, bare names and null descriptions",
       R"({"schematic": {"variants": [{"name": "V1", "description": "first"}, "V2",)"
       R"( {"name": "V3", "description": null}, {"name": "V4"}]}})",
       {},
       {{"V1", "first"}, {"V2", ""}, {"V3", ""}, {"V4", ""}}},
  };
  ScratchDir files;
  ASSERT_FALSE(files.path().empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KicadProjectFile out;
    std::string why;
    ASSERT_TRUE(readKicadProjectFile(files.file("p.kicad_pro", c.json), out, &why)) << why;
    EXPECT_EQ(out.json, c.json);
    EXPECT_EQ(out.textVariables, c.variables);
    EXPECT_EQ(out.variants, c.variants);
  }
}

TEST(KicadProjectFileTest, RefusesSayingWhat) {
  struct Case {
    const char* json;
    std::string why;  // after "<path>: "
  };
  const Case cases[] = {
      {"[1, 2]", "a KiCad project file is a JSON object"},
      {R"({"text_variables": ["A"]})", "text_variables: expected an object of names and texts"},
      {R"({"text_variables": {"A": "x", "B": 2}})", "text_variables.B: expected a text"},
      {R"({"schematic": {"variants": {"name": "V1"}}})", "schematic.variants: expected a list of variants"},
      {R"({"schematic": {"variants": ["V1", 7]}})", "schematic.variants[1]: expected an object with a \"name\" text"},
      {R"({"schematic": {"variants": [{"description": "d"}]}})",
       "schematic.variants[0]: expected an object with a \"name\" text"},
      {R"({"schematic": {"variants": [{"name": "V1", "description": 3}]}})",
       "schematic.variants[0].description: expected a text"},
      {R"({"schematic": {"variants": ["V1", ""]}})", "schematic.variants[1].name: a variant needs a name"},
      {R"({"schematic": {"variants": [{"name": ""}]}})", "schematic.variants[0].name: a variant needs a name"},
  };
  ScratchDir files;
  ASSERT_FALSE(files.path().empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const std::string path = files.file("p.kicad_pro", c.json);
    KicadProjectFile out;
    std::string why;
    EXPECT_FALSE(readKicadProjectFile(path, out, &why));
    EXPECT_EQ(why, path + ": " + c.why);
  }
  KicadProjectFile out;
  std::string why;
  const std::string broken = files.file("p.kicad_pro", "{\"meta\": ");
  EXPECT_FALSE(readKicadProjectFile(broken, out, &why));
  EXPECT_EQ(why.rfind(broken + ": not valid JSON", 0), 0u) << why;
  EXPECT_FALSE(readKicadProjectFile(files.file("none.kicad_pro"), out, &why));
  EXPECT_EQ(why, files.file("none.kicad_pro") + ": the file does not exist");
}

}  // namespace
}  // namespace comptab
