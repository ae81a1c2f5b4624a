#include "kicadbom/bom_table.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "kicadbom/bom_options.h"
#include "kicadbom/bom_text.h"

namespace comptab {
namespace {

// Where the units' lists of fields live for the whole test program.
BomUnitList& store() {
  static BomUnitList list;
  return list;
}

BomUnit unit(const char* ref, const char* value, const char* footprint = "R_0603", int unitNo = 1,
             bool multi = false) {
  BomUnit u;
  u.reference = ref;
  u.unit = unitNo;
  u.multiUnit = multi;
  u.fields = store().keep({{"Reference", ref}, {"Value", value}, {"Footprint", footprint}, {"Datasheet", ""},
                           {"Description", ""}});
  return u;
}

BomUnit with(BomUnit u, const char* name, const char* value) {
  std::vector<KicadFieldView> fields(u.fields.begin(), u.fields.end());
  fields.push_back({name, value});
  u.fields = store().keep(fields);
  return u;
}

// A small board in the manner of the hand-written fixture whose KiCad
// outputs are committed under tests/inputs/kicad/bom-mix.
std::vector<BomUnit> board() {
  std::vector<BomUnit> units = {
      with(unit("R1", "10k"), "MPN", "RC0603-10K"), with(unit("R2", "10k"), "MPN", "RC0603-10K"),
      with(unit("R3", "10k"), "MPN", "RC0603-10K-B"), unit("R4", "10k"), unit("R10", "10K"), unit("R?", "22R"),
      unit("R?", "22R"), unit("R8", "100R"), unit("R9", "100R"), unit("C1", "100n", "C_0603"),
      unit("c4", "1u", "C_0603"), unit("U1", "NAND2", "SOIC-14", 1, true), unit("U1", "NAND2", "SOIC-14", 2, true),
      unit("U2", "NAND2", "SOIC-14", 2, true),
  };
  units[7].attributes.dnp = true;
  units[8].attributes.inBom = false;
  return units;
}

std::string run(const std::vector<BomUnit>& units, const BomOptions& options, const KicadBomSettings& project = {}) {
  std::vector<std::string> user;
  for (const BomUnit& u : units)
    for (size_t i = 5; i < u.fields.size(); ++i) user.emplace_back(u.fields[i].name);
  KicadBomPreset preset;
  KicadBomFormat format;
  std::string why;
  EXPECT_TRUE(chooseBomPreset(options, project, bomModelColumns(user), preset, &why)) << why;
  EXPECT_TRUE(chooseBomFormat(options, project, format, &why)) << why;
  return buildBom(units, preset, format);
}

TEST(BomTable, WritesWhatKicadWrites) {
  struct Case {
    const char* what;
    BomOptions options;
    const char* expected;
  };
  auto opts = [](auto&& set) {
    BomOptions o;
    o.input = "x.kicad_sch";
    set(o);
    return o;
  };
  const Case cases[] = {
      {"defaults: a row per part, units merged, excluded left out, DNP marked", opts([](BomOptions&) {}),
       "\"Refs\",\"Value\",\"Footprint\",\"Qty\",\"DNP\"\n"
       "\"C1\",\"100n\",\"C_0603\",\"1\",\"\"\n"
       "\"c4\",\"1u\",\"C_0603\",\"1\",\"\"\n"
       "\"R1\",\"10k\",\"R_0603\",\"1\",\"\"\n"
       "\"R2\",\"10k\",\"R_0603\",\"1\",\"\"\n"
       "\"R3\",\"10k\",\"R_0603\",\"1\",\"\"\n"
       "\"R4\",\"10k\",\"R_0603\",\"1\",\"\"\n"
       "\"R8\",\"100R\",\"R_0603\",\"1\",\"DNP\"\n"
       "\"R10\",\"10K\",\"R_0603\",\"1\",\"\"\n"
       "\"R?\",\"22R\",\"R_0603\",\"1\",\"\"\n"
       "\"R?\",\"22R\",\"R_0603\",\"1\",\"\"\n"
       "\"U1\",\"NAND2\",\"SOIC-14\",\"1\",\"\"\n"
       "\"U2\",\"NAND2\",\"SOIC-14\",\"1\",\"\"\n"},
      {"grouped by value: ranges, differing values joined, unannotated kept apart in the count",
       opts([](BomOptions& o) {
         o.fields = "Reference,Value,MPN,${QUANTITY}";
         o.groupBy = "Value";
       }),
       "\"Reference\",\"Value\",\"MPN\",\"QUANTITY\"\n"
       "\"C1\",\"100n\",\"\",\"1\"\n"
       "\"c4\",\"1u\",\"\",\"1\"\n"
       "\"R1-R4\",\"10k\",\"RC0603-10K,RC0603-10K-B\",\"4\"\n"
       "\"R8\",\"100R\",\"\",\"1\"\n"
       "\"R10\",\"10K\",\"\",\"1\"\n"
       "\"R?,R?\",\"22R\",\"\",\"2\"\n"
       "\"U1,U2\",\"NAND2\",\"\",\"2\"\n"},
      {"a group-by field that is not an output field groups nothing",
       opts([](BomOptions& o) {
         o.fields = "Reference,QUANTITY";
         o.groupBy = "Value";
         o.filter = "u";
       }),
       "\"Reference\",\"QUANTITY\"\n\"U1\",\"1\"\n\"U2\",\"1\"\n"},
      {"sorted by value, descending, DNP left out, other delimiters",
       opts([](BomOptions& o) {
         o.fields = "Value,Reference";
         o.labels = "V,R";
         o.groupBy = "Value";
         o.sortField = "Value";
         o.sortAsc = false;
         o.excludeDnp = true;
         o.format.fieldDelimiter = ";";
         o.format.stringDelimiter = "";
         o.format.refDelimiter = " ";
         o.format.refRangeDelimiter = "..";
       }),
       "V;R\nNAND2;U1 U2\n10k;R1..R4\n10K;R10\n22R;R? R?\n1u;c4\n100n;C1\n"},
      {"no field shown: nothing at all", opts([](BomOptions& o) { o.fields = ""; }), ""},
      {"filter by wildcard over the reference with its unit letter",
       opts([](BomOptions& o) {
         o.fields = "Reference";
         o.filter = "u?b";
       }),
       "\"Reference\"\n\"U1\"\n\"U2\"\n"},
      {"item numbers follow the sorted rows; hidden fields still group",
       opts([](BomOptions& o) {
         o.fields = "ITEM_NUMBER,Reference,__Footprint";
         o.groupBy = "Footprint";
       }),
       "\"ITEM_NUMBER\",\"Reference\"\n\"1\",\"C1,c4\"\n\"2\",\"R1-R4,R8,R10,R?,R?\"\n\"3\",\"U1,U2\"\n"},
  };
  const std::vector<BomUnit> units = board();
  for (const Case& c : cases) EXPECT_EQ(run(units, c.options), c.expected) << c.what;
}

TEST(BomTable, QuotesAndStripsLikeKicad) {
  std::vector<BomUnit> units = {with(unit("R12", "5k \"A\""), "Note", "tab\there\nline\r")};
  BomOptions o;
  o.fields = "Reference,Value,Note";
  EXPECT_EQ(run(units, o), "\"Reference\",\"Value\",\"Note\"\n\"R12\",\"5k \"\"A\"\"\",\"tabhereline\"\n");
  o.format.keepTabs = true;
  o.format.keepLineBreaks = true;
  o.format.stringDelimiter = "'";
  EXPECT_EQ(run(units, o), "'Reference','Value','Note'\n'R12','5k \"A\"','tab\there\nline\r'\n");
}

TEST(BomTable, EmptyDesignGivesTheHeaderAlone) {
  BomOptions o;
  EXPECT_EQ(run({}, o), "\"Refs\",\"Value\",\"Footprint\",\"Qty\",\"DNP\"\n");
}

TEST(BomTable, GeneratedFieldsAndAttributes) {
  std::vector<BomUnit> units = {unit("R11", "2.2k"), unit("R9", "1k")};
  units[0].attributes.onBoard = false;
  units[0].attributes.excludeFromSim = true;
  units[1].attributes.inBom = false;
  BomOptions o;
  o.fields = "Reference,EXCLUDE_FROM_BOARD,${EXCLUDE_FROM_SIM},EXCLUDE_FROM_BOM,${FOO},${VALUE}";
  const std::vector<KicadNamedValue> vars = {{"FOO", "bar"}};
  KicadBomPreset preset;
  KicadBomFormat format;
  ASSERT_TRUE(chooseBomPreset(o, {}, bomModelColumns({}), preset, nullptr));
  const std::string header =
      "\"Reference\",\"EXCLUDE_FROM_BOARD\",\"EXCLUDE_FROM_SIM\",\"EXCLUDE_FROM_BOM\",\"FOO\",\"VALUE\"\n";
  BomVariables variables;
  variables.project = &vars;
  EXPECT_EQ(buildBom(units, preset, format, variables),
            header + "\"R11\",\"Excluded from board\",\"Excluded from simulation\",\"\",\"bar\",\"2.2k\"\n");
  preset.includeExcludedFromBom = true;
  EXPECT_EQ(buildBom(units, preset, format),
            header + "\"R9\",\"\",\"\",\"Excluded from BOM\",\"${FOO}\",\"1k\"\n" +
                "\"R11\",\"Excluded from board\",\"Excluded from simulation\",\"\",\"${FOO}\",\"2.2k\"\n");
}

// Grouping compares a field as written unless the text is one variable
// alone: kicad-cli 10.0.7 put U1, U3 (Value "${SIM.PARAMS}", shown
// differently) on one line, and R1 ("${MPN}" showing "a") with R3 ("a"),
// but not R4 ("a${EMPTY}", showing "a" too).
TEST(BomTable, GroupsByTheTextAsWritten) {
  const auto written = [](BomUnit u, const char* text) {
    u.written = store().keep({{"Value", text}});
    return u;
  };
  const std::vector<BomUnit> units = {
      written(unit("U1", "dc=0 ampl=1", ""), "${SIM.PARAMS}"), written(unit("R1", "a", ""), "${MPN}"),
      written(unit("U3", "xyz", ""), "${SIM.PARAMS}"), written(unit("R2", "b", ""), "${MPN}"),
      unit("R3", "a", ""), written(unit("R4", "a", ""), "a${EMPTY}"),
  };
  BomOptions o;
  o.fields = "Reference,Value,QUANTITY";
  o.groupBy = "Value";
  EXPECT_EQ(run(units, o),
            "\"Reference\",\"Value\",\"QUANTITY\"\n"
            "\"R1,R3\",\"a\",\"2\"\n"
            "\"R2\",\"b\",\"1\"\n"
            "\"R4\",\"a\",\"1\"\n"
            "\"U1,U3\",\"dc=0 ampl=1,xyz\",\"2\"\n");
}

// As kicad-cli 10.0.7 printed them for the fixture's U1 (two units placed)
// on its sheet chan_a.
TEST(BomTable, SymbolAndSheetVariables) {
  const BomSheet sheet{"chan_a", "/chan_a/", "chan.kicad_sch"};
  std::vector<BomUnit> units = {unit("U1", "NAND2", "SOIC-14", 1, true), unit("U1", "NAND2", "SOIC-14", 2, true),
                                with(unit("R7", "1M"), "MPN", "X")};
  for (BomUnit& u : units) u.sheet = &sheet;
  units[0].libId = units[1].libId = "Logic:NAND2";
  units[2].libId = "Device:R";
  BomOptions o;
  o.fields = "Reference,${REFERENCE},${UNIT},${SYMBOL_NAME},${SYMBOL_LIBRARY},${SHEETNAME},${SHEETPATH},${SHEETFILE},"
             "${FILENAME},${PROJECTNAME},${#},${MPN},${NOPE}";
  KicadBomPreset preset;
  KicadBomFormat format;
  format.stringDelimiter = "";
  ASSERT_TRUE(chooseBomPreset(o, {}, {}, preset, nullptr));
  BomVariables variables;
  variables.projectName = "mix";
  variables.rootFile = "mix.kicad_sch";
  const std::string out = buildBom(units, preset, format, variables);
  EXPECT_EQ(out.substr(out.find('\n') + 1),
            "R7,R7,A,R,Device,chan_a,/chan_a/,chan.kicad_sch,mix.kicad_sch,mix,,X,${NOPE}\n"
            "U1,U1A,U1B,A,B,NAND2,Logic,chan_a,/chan_a/,chan.kicad_sch,mix.kicad_sch,mix,,${MPN},${NOPE}\n");
}

}  // namespace
}  // namespace comptab

namespace comptab {
namespace {

// The rows a page shows: each line's references are the parts its cell
// names, ranges opened and each part once, whatever delimiters the cell uses.
TEST(BomTable, RowsNameTheReferencesOfEachLine) {
  BomOptions options;
  options.groupBy = "Value";
  options.format.refDelimiter = " ";
  options.format.refRangeDelimiter = "..";
  KicadBomPreset preset;
  KicadBomFormat format;
  std::string why;
  ASSERT_TRUE(chooseBomPreset(options, {}, bomModelColumns({}), preset, &why)) << why;
  ASSERT_TRUE(chooseBomFormat(options, {}, format, &why)) << why;
  const std::vector<BomUnit> units = board();
  const BomRows rows = buildBomRows(units, preset, format);
  ASSERT_EQ(rows.labels, (std::vector<std::string>{"Refs", "Value", "Footprint", "Qty", "DNP"}));
  std::vector<std::pair<std::string, std::vector<std::string>>> got;
  for (const BomRows::Row& row : rows.rows) got.emplace_back(row.cells[0], row.references);
  const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
      {"C1", {"C1"}},
      {"c4", {"c4"}},
      {"R1..R4", {"R1", "R2", "R3", "R4"}},
      {"R8", {"R8"}},
      {"R10", {"R10"}},
      {"R? R?", {"R?", "R?"}},
      {"U1 U2", {"U1", "U2"}},
  };
  EXPECT_EQ(got, expected);
  // The file is the rows written out.
  EXPECT_EQ(bomText(rows, format), buildBom(units, preset, format));
}

// Rows sort by reference in natural order, case-blind, whether a reference
// is letters and digits (sorted by a key made once) or anything else
// (compared as text): the two kinds mixed give the order naturalCompare gives.
TEST(BomTable, SortsReferencesInNaturalOrder) {
  const std::vector<std::string> refs = {"R10", "r2", "RN1", "R1", "C3", "R_1", "R-2", "Rb1", "rA1", "X1000000000",
                                         "X999999999", "R1.5", "c20", "C100"};
  std::vector<BomUnit> units;
  for (const std::string& ref : refs) units.push_back(unit(ref.c_str(), "1k"));
  KicadBomPreset preset;
  KicadBomFormat format;
  std::string why;
  ASSERT_TRUE(chooseBomPreset(BomOptions(), {}, bomModelColumns({}), preset, &why)) << why;
  ASSERT_TRUE(chooseBomFormat(BomOptions(), {}, format, &why)) << why;
  std::vector<std::string> got;
  for (const BomRows::Row& row : buildBomRows(units, preset, format).rows) got.push_back(row.cells[0]);
  std::vector<std::string> expected = refs;
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return naturalCompare(a, b, true) < 0; });
  EXPECT_EQ(got, expected);
}

// Without grouping only the units of a part of several share a row, the
// first row of their reference, whichever symbol made it; with no such
// part every unit is a row of its own.
TEST(BomTable, WithoutGroupingOnlyAPartsUnitsShareARow) {
  struct Case {
    const char* what;
    std::vector<BomUnit> units;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"no part of several", {unit("R10", "1k"), unit("R2", "1k"), unit("C1", "1u")},
       "\"C1\",\"1u\",\"1\"\n\"R2\",\"1k\",\"1\"\n\"R10\",\"1k\",\"1\"\n"},
      {"a part's units in one row",
       {unit("U2", "A", "", 1, true), unit("U1", "A", "", 2, true), unit("R1", "1k"), unit("U1", "A", "", 1, true)},
       "\"R1\",\"1k\",\"1\"\n\"U1\",\"A\",\"1\"\n\"U2\",\"A\",\"1\"\n"},
      {"a unit joins the row a one-unit symbol of its reference began",
       {unit("U1", "A"), unit("R1", "1k"), unit("U1", "B", "", 2, true)},
       "\"R1\",\"1k\",\"1\"\n\"U1\",\"A,B\",\"1\"\n"},
  };
  for (const Case& c : cases) {
    KicadBomPreset preset;
    KicadBomFormat format;
    BomOptions o;
    o.fields = "Reference,Value,QUANTITY";
    std::string why;
    ASSERT_TRUE(chooseBomPreset(o, {}, bomModelColumns({}), preset, &why)) << why;
    ASSERT_TRUE(chooseBomFormat(o, {}, format, &why)) << why;
    preset.groupSymbols = false;
    EXPECT_EQ(buildBom(c.units, preset, format), std::string("\"Reference\",\"Value\",\"QUANTITY\"\n") + c.expected)
        << c.what;
  }
}

TEST(BomTable, CellTextDropsWhatTheFormatDrops) {
  KicadBomFormat format;
  EXPECT_EQ(bomCellText("a\tb\r\nc\"d", format), "abc\"d");
  format.keepTabs = true;
  format.keepLineBreaks = true;
  EXPECT_EQ(bomCellText("a\tb\r\nc", format), "a\tb\r\nc");
}

}  // namespace
}  // namespace comptab
