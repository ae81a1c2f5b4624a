// The KiCad design model on small hand-written projects: what each unit of
// each sheet instance is given, as the base design and as a variant sees it
// (values checked against kicad-cli 10's BOM of the same files), text
// variables, the "~" of older files, and the projects refused before any
// expansion (paths out of the project, cycles, too many instances).
#include "platform/kicad/kicad_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/kicad/kicad_schematic.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

const char* const kRoot = "10000000-0000-4000-8000-000000000001";
const char* const kSheetA = "30000000-0000-4000-8000-0000000000a1";
const char* const kSheetB = "30000000-0000-4000-8000-0000000000a2";
const char* const kSheetC = "30000000-0000-4000-8000-0000000000a3";

const char* const kLibrary = R"((lib_symbols
  (symbol "Device:R" (property "Description" "Resistor" (at 0 0 0))
    (symbol "R_1_1" (pin passive line (at 0 3 270) (length 1) (number "1")) (pin passive line (at 0 -3 90) (length 1) (number "2"))))
  (symbol "Amp:LM358" (symbol "LM358_1_1" (pin input line (at 0 0 0) (length 1) (number "3")))
    (symbol "LM358_2_1" (pin input line (at 0 0 0) (length 1) (number "5"))))
  (symbol "power:GND" (power) (symbol "GND_1_1" (pin power_in line (at 0 0 270) (length 0) (number "1")))))
)";

struct Path {
  Path(std::string p, std::string r, int u = 1, std::string v = "")
      : path(std::move(p)), reference(std::move(r)), unit(u), variants(std::move(v)) {}
  std::string path;
  std::string reference;
  int unit;
  std::string variants;  // (variant ...) lists, as written
};

std::string symbol(const std::string& libId, const std::string& value, const std::vector<Path>& paths,
                   const std::string& more = "", int unit = 1) {
  static int next = 0;
  std::string text = "(symbol (lib_id \"" + libId + "\") (at 10 10 0) (unit " + std::to_string(unit) + ") " + more +
                     " (uuid \"20000000-0000-4000-8000-" + std::to_string(100000000000 + ++next) + "\")" +
                     " (property \"Reference\" \"" + paths.front().reference + "\" (at 0 0 0))" +
                     " (property \"Value\" \"" + value + "\" (at 0 0 0))" +
                     " (property \"Footprint\" \"R_0603\" (at 0 0 0)) (instances (project \"board\"";
  for (const Path& p : paths)
    text += " (path \"" + p.path + "\" (reference \"" + p.reference + "\") (unit " + std::to_string(p.unit) + ") " +
            p.variants + ")";
  return text + ")))\n";
}

std::string rootPath() { return std::string("/") + kRoot; }

std::string sheet(const std::string& name, const std::string& uuid, const std::string& page, const std::string& flags,
                  const std::string& variants = "", const std::string& file = "sub.kicad_sch") {
  return "(sheet (at 20 100) (size 20 20) " + flags + " (uuid \"" + uuid + "\") (property \"Sheetname\" \"" + name +
         "\" (at 0 0 0)) (property \"Sheetfile\" \"" + file + "\" (at 0 0 0)) (property \"SF\" \"field-" + name +
         "\" (at 0 0 0)) (instances (project \"board\" (path \"" + rootPath() + "\" (page \"" + page + "\") " +
         variants + "))))\n";
}

std::string schematic(const std::string& uuid, const std::string& body, int version = 20260306,
                      const std::string& title = "") {
  return "(kicad_sch (version " + std::to_string(version) + ") (generator \"eeschema\") (uuid \"" + uuid +
         "\") (paper \"A4\") " + title + kLibrary + body + " (sheet_instances (path \"/\" (page \"1\"))))\n";
}

class KicadDesignTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.path().empty()); }

  // The project of the BOM fixture: variants on symbols and on sheet
  // instances, sheet flags, text variables, a part of two units.
  void writeFixture() {
    const std::string root = rootPath();
    const std::string body =
        symbol("Device:R", "${VAL_R1}", {{root, "R1"}}) +
        symbol("Device:R", "10k",
               {{root, "R2", 1, "(variant (name \"V1\") (dnp yes) (field (name \"Value\") (value \"99k\")))"}}) +
        symbol("Device:R", "10k", {{root, "R3", 1, "(variant (name \"V1\") (in_bom no))"}}) +
        symbol("Device:R", "10k", {{root, "R4", 1, "(variant (name \"V1\") (in_bom yes))"}}, "(in_bom no)") +
        "(symbol (lib_id \"Device:R\") (at 10 10 0) (unit 1) (uuid \"20000000-0000-4000-8000-000000000005\")"
        " (property \"Reference\" \"R5\" (at 0 0 0)) (property \"Value\" \"1k\" (at 0 0 0))"
        " (property \"Footprint\" \"R_0603\" (at 0 0 0))"
        " (property \"MPN\" \"${VALUE}-X ${REFERENCE} ${FOOTPRINT} ${MPN2} ${mpn2} ${UNIT} ${SHEETNAME} ${SHEETPATH}"
        " ${PROJECTNAME} ${FILENAME} ${#} ${##} ${VARIANT} ${DNP} ${EXCLUDE_FROM_BOM} ${SYMBOL_NAME}"
        " ${SYMBOL_LIBRARY} ${NOPE} ${COMPANY} ${TITLE}\" (at 0 0 0))"
        " (property \"MPN2\" \"m2\" (at 0 0 0)) (property \"Note\" \"${ref:R2:VALUE}|${R2:VALUE}|${R101:NONE}\" (at 0 0 0))"
        " (instances (project \"board\" (path \"" + root + "\" (reference \"R5\") (unit 1)))))\n" +
        symbol("Amp:LM358", "LM358", {{root, "U1", 1}}, "(property \"MPN\" \"${REFERENCE}|${SHORT_REFERENCE}|${UNIT}\" (at 0 0 0))", 1) +
        symbol("Amp:LM358", "LM358", {{root, "U1", 2}}, "(property \"MPN\" \"${REFERENCE}|${SHORT_REFERENCE}|${UNIT}\" (at 0 0 0))", 2) +
        symbol("power:GND", "GND", {{root, "#PWR01"}}) + sheet("A", kSheetA, "2", "(dnp yes)", "(variant (name \"V2\") (dnp no))") +
        sheet("B", kSheetB, "3", "(in_bom no)") +
        sheet("C", kSheetC, "4", "", "(variant (name \"V1\") (dnp yes)) (variant (name \"V2\") (in_bom no))");
    files.file("board.kicad_sch",
               schematic(kRoot, body, 20260306, "(title_block (title \"Fixture T\") (company \"ACME\"))"));
    std::vector<Path> first;
    std::vector<Path> second;
    int base = 100;
    for (const char* uuid : {kSheetA, kSheetB, kSheetC}) {
      const std::string at = root + "/" + uuid;
      first.push_back({at, "R" + std::to_string(base + 1)});
      second.push_back({at, "R" + std::to_string(base + 2), 1,
                        uuid == kSheetB ? "(variant (name \"V1\") (field (name \"Value\") (value \"33k\")))" : ""});
      base += 100;
    }
    const std::string where = " (property \"Where\" \"${SHEETNAME}:${SHEETPATH}:${#}:${FILENAME}:${SF}\" (at 0 0 0))";
    // The "Where" field goes on the first symbol of the sub-sheet.
    std::string sub = schematic("40000000-0000-4000-8000-000000000001",
                                symbol("Device:R", "22k", first, "") + symbol("Device:R", "47k", second));
    const size_t at = sub.find("(property \"Footprint\"");
    sub.insert(at, where.substr(1) + " ");
    files.file("sub.kicad_sch", sub);
    files.file("board.kicad_pro",
               R"({"meta": {"version": 3}, "schematic": {"variants": [{"name": "V1", "description": "first variant"},)"
               R"( {"name": "V2"}]}, "text_variables": {"VAL_R1": "4k7", "TITLE": "from vars"}})");
  }

  const KicadPlacedUnit* unit(const KicadDesign& design, const std::string& reference, int number = 1) {
    for (const KicadPlacedUnit& u : design.units())
      if (u.reference == reference && u.unit == number) return &u;
    return nullptr;
  }

  static std::string field(const KicadResolvedUnit& resolved, const std::string& name) {
    for (const KicadNamedValue& f : resolved.fields)
      if (f.name == name) return f.value;
    return "(none)";
  }

  ScratchDir files;
  std::string why;
};

TEST_F(KicadDesignTest, VariantsAndSheetFlagsAsKicadCliListsThem) {
  writeFixture();
  const auto design = KicadDesign::open(files.file("board.kicad_pro"), &why);
  ASSERT_TRUE(design) << why;
  ASSERT_EQ(design->variants().size(), 2u);
  EXPECT_EQ(design->variants()[0].name, "V1");
  EXPECT_EQ(design->variants()[0].value, "first variant");
  EXPECT_EQ(design->projectName(), "board");

  struct Case {
    const char* reference;
    const char* variant;
    const char* value;
    bool dnp;
    bool inBom;
  };
  const Case cases[] = {
      {"R1", "", "4k7", false, true},    {"R2", "", "10k", false, true},   {"R2", "V1", "99k", true, true},
      {"R3", "", "10k", false, true},    {"R3", "V1", "10k", false, false}, {"R4", "", "10k", false, false},
      {"R4", "V1", "10k", false, true},  {"R101", "", "22k", true, true},   {"R102", "V1", "47k", true, true},
      {"R201", "", "22k", false, false}, {"R202", "V1", "33k", false, false}, {"R301", "", "22k", false, true},
      {"R301", "V1", "22k", true, true},
      // A sheet's variant takes back its block's own flag, or drops its symbols
      // (kicad-cli 10.0.7 lists R101 fitted and leaves R301 out in V2).
      {"R101", "V2", "22k", false, true},  {"R302", "V2", "47k", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reference) + " " + c.variant);
    const KicadPlacedUnit* placed = unit(*design, c.reference);
    ASSERT_NE(placed, nullptr);
    const KicadResolvedUnit resolved = design->resolve(*placed, c.variant);
    EXPECT_EQ(field(resolved, "Value"), c.value);
    EXPECT_EQ(resolved.attributes.dnp, c.dnp);
    EXPECT_EQ(resolved.attributes.inBom, c.inBom);
  }
}

TEST_F(KicadDesignTest, VariantsTheProjectFileDoesNotListStillApply) {
  writeFixture();
  files.file("board.kicad_pro", R"({"meta": {"version": 3}})");
  const auto design = KicadDesign::open(files.file("board.kicad_pro"), &why);
  ASSERT_TRUE(design) << why;
  ASSERT_EQ(design->variants().size(), 2u);
  EXPECT_EQ(design->variants()[0].name, "V1");  // R2's, then sheet A's
  EXPECT_EQ(design->variants()[1].name, "V2");
  const KicadResolvedUnit r2 = design->resolve(*unit(*design, "R2"), "V1");
  EXPECT_EQ(field(r2, "Value"), "99k");
  EXPECT_TRUE(r2.attributes.dnp);
  // Without a variant list or text variables, ${VAL_R1} stays as written.
  EXPECT_EQ(field(design->resolve(*unit(*design, "R1"), ""), "Value"), "${VAL_R1}");
}

TEST_F(KicadDesignTest, HierarchyGivesEachInstanceItsPlaceAndUnits) {
  writeFixture();
  const auto design = KicadDesign::open(files.file("board.kicad_sch"), &why);
  ASSERT_TRUE(design) << why;
  const std::vector<KicadSheetInstance>& sheets = design->sheets();
  ASSERT_EQ(sheets.size(), 4u);
  EXPECT_EQ(sheets[0].namePath, "/");
  EXPECT_EQ(sheets[0].page, "1");
  EXPECT_EQ(sheets[2].namePath, "/B/");
  EXPECT_EQ(sheets[2].uuidPath, std::string("/") + kSheetB + "/");
  EXPECT_EQ(sheets[2].page, "3");
  EXPECT_EQ(sheets[2].parent, 0);
  EXPECT_TRUE(sheets[1].attributes.dnp);
  EXPECT_FALSE(sheets[2].attributes.inBom);
  ASSERT_EQ(sheets[3].variants.size(), 2u);
  EXPECT_EQ(sheets[3].variants[0].dnp, std::optional<bool>(true));

  std::vector<std::string> order;
  for (const KicadPlacedUnit& u : design->units()) order.push_back(std::string(u.reference) + "/" + std::to_string(u.unit));
  EXPECT_EQ(order, (std::vector<std::string>{"R1/1", "R2/1", "R3/1", "R4/1", "R5/1", "U1/1", "U1/2", "#PWR01/1",
                                             "R101/1", "R102/1", "R201/1", "R202/1", "R301/1", "R302/1"}));
  const KicadPlacedUnit* ground = unit(*design, "#PWR01");
  ASSERT_NE(ground, nullptr);
  EXPECT_TRUE(ground->power);
  EXPECT_EQ(ground->file->symbols()[ground->symbol].libId, "power:GND");
  const KicadPlacedUnit* u1b = unit(*design, "U1", 2);
  ASSERT_NE(u1b, nullptr);
  ASSERT_NE(u1b->lib, nullptr);
  EXPECT_EQ(u1b->lib->unitCount, 2);
  std::vector<std::string> names;
  for (const KicadNamedValue& f : design->resolve(*unit(*design, "R5"), "").fields) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Reference", "Value", "Footprint", "Datasheet", "Description", "MPN",
                                             "MPN2", "Note"}));
}

// A sheet used twice finds each symbol's instance by the sheet's path,
// whether the file's paths are few (a table by path and symbol) or many,
// most of them stale ones of another project (a map); a path a symbol
// gives twice counts once, the first.
TEST_F(KicadDesignTest, EachInstanceFindsItsOwnPathAmongStaleOnes) {
  const std::string root = rootPath();
  for (const int stale : {0, 20}) {
    files.file("board.kicad_sch", schematic(kRoot, sheet("A", kSheetA, "2", "") + sheet("B", kSheetB, "3", "")));
    std::string body;
    for (int i = 1; i <= 4; ++i) {
      std::vector<Path> paths = {{root + "/" + kSheetA, "R1" + std::to_string(i)},
                                 {root + "/" + kSheetB, "R2" + std::to_string(i)},
                                 {root + "/" + kSheetA, "RX" + std::to_string(i)}};
      for (int k = 0; k < stale; ++k)
        paths.push_back({"/90000000-0000-4000-8000-0000000" + std::to_string(10000 + i * 100 + k), "RS"});
      body += symbol("Device:R", "1k", paths);
    }
    files.file("sub.kicad_sch", schematic("40000000-0000-4000-8000-000000000001", body));
    const auto design = KicadDesign::open(files.file("board.kicad_sch"), &why);
    ASSERT_TRUE(design) << why;
    std::vector<std::string> references;
    for (const KicadPlacedUnit& u : design->units()) references.emplace_back(u.reference);
    EXPECT_EQ(references, (std::vector<std::string>{"R11", "R12", "R13", "R14", "R21", "R22", "R23", "R24"}))
        << stale << " stale paths";
  }
}

TEST_F(KicadDesignTest, UnitsFollowTheSheetsInPageOrder) {
  const std::string root = rootPath();
  const std::vector<Path> paths = {{root + "/" + kSheetA, "R1"}, {root + "/" + kSheetB, "R2"}, {root + "/" + kSheetC, "R3"}};
  files.file("leaf.kicad_sch", schematic("leaf", symbol("Device:R", "1k", paths)));
  files.file("board.kicad_sch",
             schematic(kRoot, sheet("X", kSheetA, "10", "", "", "leaf.kicad_sch") +
                                  sheet("Y", kSheetB, "9", "", "", "leaf.kicad_sch") +
                                  sheet("Z", kSheetC, "9", "", "", "leaf.kicad_sch")));
  const auto design = KicadDesign::open(files.file("board.kicad_sch"), &why);
  ASSERT_TRUE(design) << why;
  std::vector<std::string> sheetNames;
  for (const KicadSheetInstance& s : design->sheets()) sheetNames.push_back(s.name);
  EXPECT_EQ(sheetNames, (std::vector<std::string>{"", "X", "Y", "Z"}));
  std::vector<std::string> order;
  for (const KicadPlacedUnit& u : design->units()) order.emplace_back(u.reference);
  EXPECT_EQ(order, (std::vector<std::string>{"R2", "R3", "R1"}));
  EXPECT_EQ(design->units()[design->sheets()[1].firstUnit].reference, "R1");
}

TEST_F(KicadDesignTest, SheetFieldsReachEveryLevelBelow) {
  // kicad-cli 10.0.7 shows "top|mid|M|3" for the same files.
  const std::string mid = rootPath() + "/" + kSheetA;
  files.file("leaf.kicad_sch",
             schematic("leaf", symbol("Device:R", "1k", {{mid + "/" + kSheetB, "R1"}},
                                      "(property \"X\" \"${SF}|${MF}|${SHEETNAME}|${#}\" (at 0 0 0))")));
  std::string middle = sheet("M", kSheetB, "3", "", "", "leaf.kicad_sch");
  middle.replace(middle.find(rootPath()), rootPath().size(), mid);
  middle.replace(middle.find("(property \"SF\""), std::string("(property \"SF\" \"field-M\" (at 0 0 0))").size(),
                 "(property \"MF\" \"mid\" (at 0 0 0))");
  files.file("mid.kicad_sch", schematic("mid", middle));
  std::string top = sheet("A", kSheetA, "2", "", "", "mid.kicad_sch");
  top.replace(top.find("field-A"), 7, "top");
  files.file("board.kicad_sch", schematic(kRoot, top));
  const auto design = KicadDesign::open(files.file("board.kicad_sch"), &why);
  ASSERT_TRUE(design) << why;
  EXPECT_EQ(field(design->resolve(*unit(*design, "R1"), ""), "X"), "top|mid|M|3");
}

TEST_F(KicadDesignTest, TextVariablesAsKicadCliExpandsThem) {
  writeFixture();
  const auto design = KicadDesign::open(files.file("board.kicad_pro"), &why);
  ASSERT_TRUE(design) << why;
  struct Case {
    const char* reference;
    const char* variant;
    const char* field;
    const char* expected;
  };
  const Case cases[] = {
      {"R5", "", "MPN",
       "1k-X R5 R_0603 m2 m2 A board / board board.kicad_sch 1 4    R Device ${NOPE} ACME Fixture T"},
      {"R5", "V1", "MPN",
       "1k-X R5 R_0603 m2 m2 A board / board board.kicad_sch 1 4 V1   R Device ${NOPE} ACME Fixture T"},
      {"R5", "V1", "Note", "<Unresolved: ref>|10k|<Unresolved: R101:NONE>"},
      {"R101", "", "Where", "A:/A/:2:board.kicad_sch:field-A"},
      {"R301", "", "Where", "C:/C/:4:board.kicad_sch:field-C"},
  };
  // kicad-cli writes "U1A|U1|A,U1B|U1|B": the units' MPN joined.
  EXPECT_EQ(field(design->resolve(*unit(*design, "U1", 2), ""), "MPN"), "U1B|U1|B");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reference) + " " + c.field);
    const KicadPlacedUnit* placed = unit(*design, c.reference);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(field(design->resolve(*placed, c.variant), c.field), c.expected);
  }
}

TEST_F(KicadDesignTest, TheFiveFieldsLoseTheSpaceAroundThemOthersKeepIt) {
  const std::string body = "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid \"u1\")"
                           " (property \"Reference\" \"R1\" (at 0 0 0)) (property \"Value\" \"  10 k  \" (at 0 0 0))"
                           " (property \"Footprint\" \" R_0603 \" (at 0 0 0)) (property \"Datasheet\" \"\t ds \" (at 0 0 0))"
                           " (property \"Description\" \" d e \" (at 0 0 0)) (property \"MPN2\" \"  m 2  \" (at 0 0 0)))";
  files.file("t.kicad_sch", schematic(kRoot, body));
  const auto design = KicadDesign::open(files.file("t.kicad_sch"), &why);
  ASSERT_TRUE(design) << why;
  std::vector<std::string> values;
  for (const KicadNamedValue& f : design->resolve(design->units().at(0), "").fields) values.push_back(f.value);
  EXPECT_EQ(values, (std::vector<std::string>{"R1", "10 k", "R_0603", "ds", "d e", "  m 2  "}));
}

TEST_F(KicadDesignTest, TildeIsEmptyInFilesBeforeTheEmptyFieldFormat) {
  for (const int version : {20231120, 20250317, 20250318}) {
    SCOPED_TRACE(version);
    const std::string body = "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid \"u1\")"
                             " (property \"Reference\" \"R1\" (at 0 0 0)) (property \"Value\" \"~\" (at 0 0 0))"
                             " (property \"Footprint\" \"~\" (at 0 0 0)) (property \"MPN\" \"~\" (at 0 0 0)))";
    files.file("t.kicad_sch", schematic(kRoot, body, version));
    const auto design = KicadDesign::open(files.file("t.kicad_sch"), &why);
    ASSERT_TRUE(design) << why;
    const std::string expected = version < 20250318 ? "" : "~";
    const std::vector<KicadNamedValue> fields = design->resolve(design->units().at(0), "").fields;
    EXPECT_EQ(fields[1].value, expected);
    EXPECT_EQ(fields[2].value, expected);
    EXPECT_EQ(fields[5].value, expected);
  }
}

TEST_F(KicadDesignTest, KiCad6RootTableGivesInstanceValues) {
  const std::string child = "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid r9)"
                            " (property \"Reference\" \"R?\" (id 0) (at 0 0 0)) (property \"Value\" \"1k\" (id 1) (at 0 0 0)))";
  files.file("ch.kicad_sch", schematic("c0", child, 20211123));
  files.file("top.kicad_sch",
             "(kicad_sch (version 20211123) (uuid a0) (paper \"A4\")" + std::string(kLibrary) +
                 sheet("left", "s1", "2", "", "", "ch.kicad_sch") + sheet("right", "s2", "3", "", "", "ch.kicad_sch") +
                 "(sheet_instances (path \"/\" (page \"1\")) (path \"/s1/\" (page \"2\")) (path \"/s2/\" (page \"3\")))"
                 "(symbol_instances (path \"/s1/r9\" (reference \"R11\") (unit 1) (value \"10k\") (footprint \"~\"))"
                 " (path \"/s2/r9\" (reference \"R21\") (unit 1) (value \"22k\") (footprint \"F\"))))");
  const auto design = KicadDesign::open(files.file("top.kicad_sch"), &why);
  ASSERT_TRUE(design) << why;
  ASSERT_EQ(design->units().size(), 2u);
  EXPECT_EQ(design->units()[0].reference, "R11");
  const auto fields = [&](size_t u) { return design->resolve(design->units()[u], "").fields; };
  EXPECT_EQ(fields(0)[1].value, "10k");
  EXPECT_EQ(fields(0)[2].value, "");
  EXPECT_EQ(design->units()[1].reference, "R21");
  EXPECT_EQ(fields(1)[2].value, "F");
  EXPECT_EQ(design->sheets()[2].page, "3");
}

TEST_F(KicadDesignTest, RefusesBeforeExpandingOrOpening) {
  struct Case {
    const char* name;
    const char* sheetFile;  // what the root's one block names
    const char* expected;   // in the reason
  };
  const Case cases[] = {
      {"parent folder", "../x.kicad_sch", "lies outside the project folder"},
      {"absolute", "/etc/passwd", "an absolute path"},
      {"windows absolute", "C:\\\\x.kicad_sch", "an absolute path"},
      {"cycle", "board.kicad_sch", "the sheets make a cycle"},
      {"missing", "gone.kicad_sch", "which cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    files.file("board.kicad_sch", schematic(kRoot, sheet("S", kSheetA, "2", "", "", c.sheetFile)));
    why.clear();
    EXPECT_FALSE(KicadDesign::open(files.file("board.kicad_sch"), &why));
    EXPECT_NE(why.find(c.expected), std::string::npos) << why;
  }

  // Twenty files each using the next twice would be 2^20 instances.
  for (int level = 0; level < 20; ++level) {
    const std::string next = "l" + std::to_string(level + 1) + ".kicad_sch";
    const std::string body = level == 19 ? std::string()
                                         : sheet("a", "a" + std::to_string(level), "2", "", "", next) +
                                               sheet("b", "b" + std::to_string(level), "3", "", "", next);
    files.file("l" + std::to_string(level) + ".kicad_sch", schematic("u" + std::to_string(level), body));
  }
  why.clear();
  EXPECT_FALSE(KicadDesign::open(files.file("l0.kicad_sch"), &why));
  EXPECT_NE(why.find("more than 100000 sheet instances"), std::string::npos) << why;

  // 6,400 instances of a sheet of 1,000 symbols: more units than allowed.
  std::string leaf;
  for (int i = 0; i < 1000; ++i)
    leaf += "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid \"s" + std::to_string(i) +
            "\") (property \"Reference\" \"R" + std::to_string(i) + "\" (at 0 0 0)))\n";
  files.file("leaf.kicad_sch", schematic("leaf", leaf));
  std::string mid;
  std::string top;
  for (int i = 0; i < 80; ++i) {
    mid += sheet("m", "m" + std::to_string(i), "2", "", "", "leaf.kicad_sch");
    top += sheet("t", "t" + std::to_string(i), "2", "", "", "mid.kicad_sch");
  }
  files.file("mid.kicad_sch", schematic("mid", mid));
  files.file("top.kicad_sch", schematic("top", top));
  why.clear();
  EXPECT_FALSE(KicadDesign::open(files.file("top.kicad_sch"), &why));
  EXPECT_NE(why.find("more than 5000000 symbol units"), std::string::npos) << why;
}

// tests/inputs/kicad/semantics holds a project and kicad-cli 10.0.7's BOM
// of it for the base design and each variant: every row's fields as the
// model resolves them, and the same references in the BOM.
std::vector<std::vector<std::string>> readCsv(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        cells.push_back(cell);
        cell.clear();
      } else {
        cell += c;
      }
    }
    cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

TEST(KicadDesignFixture, MatchesKicadCliBom) {
  const std::string dir = std::string(COMPTAB_SOURCE_ROOT) + "/tests/inputs/kicad/semantics/";
  std::string why;
  const auto design = KicadDesign::open(dir + "board.kicad_pro", &why);
  ASSERT_TRUE(design) << why;
  for (const char* variant : {"", "V1", "V2"}) {
    SCOPED_TRACE(variant);
    const auto rows = readCsv(dir + "expected/fields" + (*variant ? std::string("-") + variant : "") + ".csv");
    ASSERT_GT(rows.size(), 1u);
    const std::vector<std::string>& header = rows[0];
    std::vector<std::string> listed;
    for (const KicadPlacedUnit& unit : design->units()) {
      const KicadResolvedUnit seen = design->resolve(unit, variant);
      if (unit.power || unit.reference.starts_with('#') || !seen.attributes.inBom) continue;
      if (listed.empty() || listed.back() != unit.reference) listed.emplace_back(unit.reference);
    }
    std::vector<std::string> expected;
    for (size_t r = 1; r < rows.size(); ++r) expected.push_back(rows[r][0]);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    for (size_t r = 1; r < rows.size(); ++r) {
      const std::vector<std::string>& row = rows[r];
      SCOPED_TRACE(row[0]);
      const KicadPlacedUnit* unit = nullptr;
      for (const KicadPlacedUnit& u : design->units())
        if (u.reference == row[0] && unit == nullptr) unit = &u;
      ASSERT_NE(unit, nullptr);
      const KicadResolvedUnit seen = design->resolve(*unit, variant);
      for (size_t c = 1; c < header.size() && c < row.size(); ++c) {
        if (header[c] == "QUANTITY" || header[c] == "EXCLUDE_FROM_BOM") continue;
        if (header[c] == "MPN" && row[0] == "U1") continue;  // units' values joined
        if (header[c] == "DNP") {
          EXPECT_EQ(seen.attributes.dnp ? "DNP" : "", row[c]);
          continue;
        }
        std::string value;
        for (const KicadNamedValue& f : seen.fields)
          if (f.name == header[c]) value = f.value;
        EXPECT_EQ(value, row[c]) << header[c];
      }
    }
  }
}

}  // namespace
}  // namespace comptab
