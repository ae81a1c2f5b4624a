#include "platform/kicad/kicad_bom_settings.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(KicadBomSettings, ReadsWhatKicadSaves) {
  const char* json = R"({"schematic": {
    "bom_settings": {"exclude_dnp": true, "fields_ordered": [
        {"group_by": false, "label": "Refs", "name": "Reference", "show": true},
        {"group_by": true, "label": "Value", "name": "Value", "show": false}],
      "filter_string": "R*", "group_symbols": true, "name": "", "sort_asc": false, "sort_field": "Value"},
    "bom_fmt_settings": {"field_delimiter": ";", "keep_line_breaks": true, "keep_tabs": false, "name": "",
      "ref_delimiter": " ", "ref_range_delimiter": "", "string_delimiter": "'"},
    "bom_presets": [{"name": "Mine", "fields_ordered": [], "sort_field": "Reference", "sort_asc": true,
      "filter_string": "", "group_symbols": false, "exclude_dnp": false, "include_excluded_from_bom": true}],
    "bom_fmt_presets": []}, "text_variables": {}})";
  KicadBomSettings s;
  std::string why;
  ASSERT_TRUE(readKicadBomSettings(json, s, &why)) << why;
  ASSERT_TRUE(s.current);
  EXPECT_TRUE(s.current->excludeDnp);
  EXPECT_FALSE(s.current->includeExcludedFromBom);  // absent before KiCad 8.0.x: false
  ASSERT_EQ(s.current->fields.size(), 2u);
  EXPECT_EQ(s.current->fields[0].label, "Refs");
  EXPECT_TRUE(s.current->fields[1].groupBy);
  EXPECT_FALSE(s.current->fields[1].show);
  EXPECT_EQ(s.current->filter, "R*");
  EXPECT_FALSE(s.current->sortAsc);
  ASSERT_TRUE(s.currentFormat);
  EXPECT_EQ(s.currentFormat->fieldDelimiter, ";");
  EXPECT_EQ(s.currentFormat->refRangeDelimiter, "");
  EXPECT_TRUE(s.currentFormat->keepLineBreaks);
  ASSERT_EQ(s.presets.size(), 1u);
  EXPECT_TRUE(s.presets[0].includeExcludedFromBom);
  EXPECT_TRUE(s.formats.empty());
}

TEST(KicadBomSettings, ProjectsWithoutSettingsAndBadOnes) {
  KicadBomSettings s;
  std::string why;
  EXPECT_TRUE(readKicadBomSettings("", s, &why));
  EXPECT_TRUE(readKicadBomSettings(R"({"meta": {}})", s, &why));
  EXPECT_FALSE(s.current);
  struct Case {
    const char* json;
    const char* says;
  } cases[] = {
      {R"({"schematic": {"bom_presets": [{"name": 3}]}})", "schematic.bom_presets[0].name: expected a string"},
      {R"({"schematic": {"bom_settings": {"sort_asc": "no"}}})", "schematic.bom_settings.sort_asc: expected true"},
      {R"({"schematic": {"bom_settings": {"fields_ordered": [1]}}})", "fields_ordered[0]: expected an object"},
      {R"({"schematic": []})", "schematic: expected an object"},
      {R"([1])", "JSON object"},
      {R"({"schematic": )", ""},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(readKicadBomSettings(c.json, s, &why)) << c.json;
    EXPECT_NE(why.find(c.says), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace comptab
