#include "kicadbom/bom_options.h"

#include <gtest/gtest.h>

namespace comptab {
namespace {

TEST(BomOptions, ParsesKicadsCommandLine) {
  BomOptions o;
  std::string why;
  ASSERT_TRUE(parseBomOptions({"-o", "out/${VARIANT}.csv", "--variant", "A", "--variant=B", "--fields",
                               "Reference,Value", "--sort-asc", "false", "--exclude-dnp",
                               "--include-excluded-from-bom", "--ref-range-delimiter", "", "--keep-tabs",
                               "board.kicad_sch"},
                              o, &why))
      << why;
  EXPECT_EQ(o.output, "out/${VARIANT}.csv");
  EXPECT_EQ(o.variants, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(o.fields, "Reference,Value");
  EXPECT_FALSE(o.labels);
  EXPECT_FALSE(o.sortAsc);
  EXPECT_TRUE(o.excludeDnp);
  EXPECT_EQ(o.format.refRangeDelimiter, "");
  EXPECT_TRUE(o.format.keepTabs);
  EXPECT_EQ(o.input, "board.kicad_sch");

  BomOptions plain;
  ASSERT_TRUE(parseBomOptions({"--sort-asc", "b.kicad_pro"}, plain, &why));
  EXPECT_TRUE(plain.sortAsc);
  EXPECT_EQ(plain.input, "b.kicad_pro");
}

TEST(BomOptions, RefusesWithOneLine) {
  struct Case {
    std::vector<std::string> words;
    const char* says;
  } cases[] = {
      {{"--bogus", "b.kicad_sch"}, "unknown option \"--bogus\""},
      {{"b.kicad_sch", "--fields"}, "--fields needs a value"},
      {{"--preset", "--exclude-dnp", "b.kicad_sch"}, "--preset needs a value"},
      {{"a.kicad_sch", "b.kicad_sch"}, "a second input"},
      {{}, "no input named"},
      {{"--sort-asc=maybe", "b.kicad_sch"}, "--sort-asc takes true or false"},
      {{"--sort-asc", "descending", "b.kicad_sch"}, "--sort-asc takes true or false, not \"descending\""},
      {{"--keep-tabs=1", "b.kicad_sch"}, "--keep-tabs takes no value"},
  };
  for (const Case& c : cases) {
    BomOptions o;
    std::string why;
    EXPECT_FALSE(parseBomOptions(c.words, o, &why));
    EXPECT_NE(why.find(c.says), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
  }
}

TEST(BomOptions, BuildsThePresetAsKicadDoes) {
  const std::vector<std::string> model = bomModelColumns({"MPN", "Note", "MPN"});
  struct Case {
    const char* fields;  // null: not given
    const char* labels;  // null: not given
    const char* expected;  // name=label[+g][-hidden] ...
  } cases[] = {
      {nullptr, nullptr, "Reference=Refs Value=Value+g Footprint=Footprint ${QUANTITY}=Qty ${DNP}=DNP"},
      {"Reference,${FOO},QUANTITY", nullptr, "Reference=Reference ${FOO}=FOO ${QUANTITY}=QUANTITY"},
      {nullptr, "X,,Z", "Reference=X Value=Value+g Footprint=Z ${QUANTITY}=QUANTITY ${DNP}=DNP"},
      {"Reference,__Footprint,Value", "A,B,C", "Reference=A Footprint=B- Value=C+g"},
      {"Reference,*,Value", "A,B",
       "Reference=A Footprint=Footprint Datasheet=Datasheet Description=Description ${QUANTITY}=${QUANTITY} "
       "${ITEM_NUMBER}=${ITEM_NUMBER} ${DNP}=${DNP} ${EXCLUDE_FROM_BOM}=${EXCLUDE_FROM_BOM} "
       "${EXCLUDE_FROM_BOARD}=${EXCLUDE_FROM_BOARD} ${EXCLUDE_FROM_SIM}=${EXCLUDE_FROM_SIM} MPN=MPN Note=Note "
       "Value=B+g"},
  };
  for (const Case& c : cases) {
    BomOptions o;
    if (c.fields) o.fields = c.fields;
    if (c.labels) o.labels = c.labels;
    o.groupBy = "Value";
    KicadBomPreset preset;
    ASSERT_TRUE(chooseBomPreset(o, {}, model, preset, nullptr));
    std::string got;
    for (const KicadBomField& f : preset.fields) {
      if (!got.empty()) got += ' ';
      got += f.name + "=" + f.label + (f.groupBy ? "+g" : "") + (f.show ? "" : "-");
    }
    EXPECT_EQ(got, c.expected);
    EXPECT_TRUE(preset.groupSymbols);
  }
}

TEST(BomOptions, NamedPresetsProjectBeforeBuiltIn) {
  KicadBomSettings project;
  project.presets.push_back({"Grouped By Value", {{"Value", "V", true, true}}, "Value", false, "", true, true, false});
  project.formats.push_back({"Pipes", "|", "", ";", "", true, true});
  BomOptions o;
  o.preset = "Grouped By Value";
  KicadBomPreset preset;
  ASSERT_TRUE(chooseBomPreset(o, project, {}, preset, nullptr));
  EXPECT_EQ(preset.fields.size(), 1u);
  o.preset = "Attributes";
  ASSERT_TRUE(chooseBomPreset(o, project, {}, preset, nullptr));
  EXPECT_EQ(preset.fields[4].label, "Do Not Place");
  std::string why;
  o.preset = "Nope";
  EXPECT_FALSE(chooseBomPreset(o, project, {}, preset, &why));
  EXPECT_NE(why.find("\"Grouped By Value and Footprint\""), std::string::npos) << why;
  KicadBomFormat format;
  o.formatPreset = "TSV";
  ASSERT_TRUE(chooseBomFormat(o, project, format, nullptr));
  EXPECT_EQ(format.fieldDelimiter, "\t");
  EXPECT_EQ(format.stringDelimiter, "");
  EXPECT_EQ(format.refRangeDelimiter, "");
  o.formatPreset = "Pipes";
  ASSERT_TRUE(chooseBomFormat(o, project, format, nullptr));
  EXPECT_EQ(format.fieldDelimiter, "|");
  o.formatPreset = "pipes";
  EXPECT_FALSE(chooseBomFormat(o, project, format, &why));
}

}  // namespace
}  // namespace comptab
