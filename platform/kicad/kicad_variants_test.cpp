// A placed unit as a variant sees it: the variant's field overrides (the
// five fields trimmed, others as written, new ones added), flags bare or
// spelt out on symbols, variants and sheet blocks, the text variables a
// field may name, and which units need resolving at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/kicad/kicad_design.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

const char* const kRoot = "10000000-0000-4000-8000-000000000001";
const char* const kBlock = "30000000-0000-4000-8000-0000000000b1";

const char* const kLibrary = R"((lib_symbols
  (symbol "Device:R" (property "Description" "Resistor" (at 0 0 0)) (property "ki_keywords" "R res" (at 0 0 0))
    (symbol "R_1_1" (pin passive line (at 0 3 270) (length 1) (number "1"))))
  (symbol "Amp:Dual" (symbol "Dual_1_1" (pin input line (at 0 0 0) (length 1) (number "3")))
    (symbol "Dual_2_1" (pin input line (at 0 0 0) (length 1) (number "5")))))
)";

std::string property(const std::string& name, const std::string& value) {
  return " (property \"" + name + "\" \"" + value + "\" (at 0 0 0))";
}

// A symbol placed once, at `path`, with `inside` among its items and
// `variants` in its instance.
std::string symbol(const std::string& libId, const std::string& reference, const std::string& path,
                   const std::string& inside, const std::string& variants = "", int unit = 1) {
  static int next = 0;
  return "(symbol (lib_id \"" + libId + "\") (at 10 10 0) (unit " + std::to_string(unit) + ") (uuid \"2" +
         std::to_string(++next) + "\")" + property("Reference", reference) + inside + " (instances (project \"board\"" +
         " (path \"" + path + "\" (reference \"" + reference + "\") (unit " + std::to_string(unit) + ") " + variants +
         "))))\n";
}

std::string schematic(const std::string& uuid, const std::string& body) {
  return "(kicad_sch (version 20260306) (generator \"eeschema\") (uuid \"" + uuid + "\") (paper \"A4\") " +
         std::string(kLibrary) + body + " (sheet_instances (path \"/\" (page \"1\"))))\n";
}

class KicadVariantsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(files.path().empty());
    const std::string root = std::string("/") + kRoot;
    const std::string info =
        "${FOOTPRINT_LIBRARY}|${FOOTPRINT_NAME}|${SYMBOL_DESCRIPTION}|${SYMBOL_KEYWORDS}|${EXCLUDE_FROM_BOM}|"
        "${EXCLUDE_FROM_BOARD}|${EXCLUDE_FROM_SIM}|${DNP}|${VARIANT_DESC}|${OP}|${value}";
    const std::string body =
        symbol("Device:R", "R1", root,
               " (in_bom no)" + property("Value", "10k") + property("Footprint", "Resistor_SMD:R_0603") +
                   property("MPN", "  m  ") + property("Info", info),
               "(variant (name \"V1\") (dnp) (in_bom) (field (name \"Value\") (value \"  99k  \"))"
               " (field (name \"MPN\") (value \"  m2  \")) (field (name \"Description\") (value \"  d  \"))"
               " (field (name \"Extra\") (value \"e\")))"
               " (variant (name \"V2\") (on_board no) (exclude_from_sim))") +
        symbol("Device:R", "R2", root, " (in_bom) (dnp)" + property("Value", "1k") + property("Footprint", "R_0805")) +
        symbol("Amp:Dual", "U1", root, property("Value", "TL072") + property("Ref", "${REFERENCE}|${UNIT}"), "", 27) +
        symbol("Amp:Dual", "U2", root, property("Value", "TL072") + property("Ref", "${REFERENCE}|${UNIT}"), "", 26) +
        "(sheet (at 20 100) (size 20 20) (dnp) (in_bom) (on_board) (uuid \"" + kBlock + "\")" +
        property("Sheetname", "S") + property("Sheetfile", "sub.kicad_sch") +
        " (instances (project \"board\" (path \"" + root + "\" (page \"2\") (variant (name \"V1\") (dnp no))))))\n";
    files.file("board.kicad_sch", schematic(kRoot, body));
    files.file("sub.kicad_sch", schematic("40000000-0000-4000-8000-000000000001",
                                          symbol("Device:R", "R101", root + "/" + kBlock, property("Value", "2k"))));
    files.file("board.kicad_pro",
               R"({"schematic": {"variants": [{"name": "V1", "description": "first"}, {"name": "V2"}]}})");
    std::string why;
    design = KicadDesign::open(files.file("board.kicad_pro"), &why);
    ASSERT_TRUE(design) << why;
  }

  const KicadPlacedUnit& unit(const std::string& reference) const {
    for (const KicadPlacedUnit& u : design->units())
      if (u.reference == reference) return u;
    ADD_FAILURE() << "no unit " << reference;
    return design->units().front();
  }

  static std::string field(const KicadResolvedUnit& resolved, const std::string& name) {
    for (const KicadNamedValue& f : resolved.fields)
      if (f.name == name) return f.value;
    return "(none)";
  }

  ScratchDir files;
  std::unique_ptr<KicadDesign> design;
};

TEST_F(KicadVariantsTest, FieldOverrides) {
  struct Case {
    const char* reference;
    const char* variant;
    const char* field;
    const char* expected;
  };
  const Case cases[] = {
      {"R1", "", "Value", "10k"},
      {"R1", "V1", "Value", "99k"},  // one of the five: trimmed
      {"R1", "V1", "Description", "d"},
      {"R1", "V1", "MPN", "  m2  "},  // any other: as written
      {"R1", "V1", "Extra", "e"},     // a field the symbol lacks is added
      {"R1", "", "Extra", "(none)"},
      {"R1", "V2", "Value", "10k"},  // another variant changes nothing here
      {"R1", "", "Info", "Resistor_SMD|R_0603|Resistor|R res|Excluded from BOM|||||--|10k"},
      {"R1", "V1", "Info", "Resistor_SMD|R_0603|Resistor|R res||||DNP|first|--|99k"},
      {"R1", "V2", "Info",
       "Resistor_SMD|R_0603|Resistor|R res|Excluded from BOM|Excluded from board|"
       "Excluded from simulation|||--|10k"},
      {"U2", "", "Ref", "U2Z|Z"},  // units of a part of several: A to Z, then AA
      {"U1", "", "Ref", "U1AA|AA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reference) + " " + c.variant + " " + c.field);
    EXPECT_EQ(field(design->resolve(unit(c.reference), c.variant), c.field), c.expected);
  }
}

// A bare flag means yes wherever it stands: on a symbol, in a variant, on a
// sheet block (whose flags reach the symbols beneath it).
TEST_F(KicadVariantsTest, FlagsBareOrSpeltOut) {
  struct Case {
    const char* reference;
    const char* variant;
    bool dnp;
    bool inBom;
    bool onBoard;
    bool excludeFromSim;
  };
  const Case cases[] = {
      {"R1", "", false, false, true, false},   {"R1", "V1", true, true, true, false},
      {"R1", "V2", false, false, false, true}, {"R2", "", true, true, true, false},
      {"R101", "", true, true, true, false},   {"R101", "V1", false, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reference) + " " + c.variant);
    const KicadAttributes a = design->resolve(unit(c.reference), c.variant).attributes;
    EXPECT_EQ(a.dnp, c.dnp);
    EXPECT_EQ(a.inBom, c.inBom);
    EXPECT_EQ(a.onBoard, c.onBoard);
    EXPECT_EQ(a.excludeFromSim, c.excludeFromSim);
  }
}

// Only a unit with variants, a text variable, or a sheet with variants
// above it can resolve to other than its own fields.
TEST_F(KicadVariantsTest, WhichUnitsNeedResolving) {
  EXPECT_TRUE(design->resolveChanges(unit("R1")));
  EXPECT_FALSE(design->resolveChanges(unit("R2")));
  EXPECT_TRUE(design->resolveChanges(unit("U1")));
  EXPECT_TRUE(design->resolveChanges(unit("R101")));
}

// resolveViews() against resolve(), for every unit and variant of small
// projects: the same names, values and attributes where it gives views,
// no views for the units that need texts of their own. A symbol's fields
// are shared by its instances: each instance must still show its own
// reference, unit, value and footprint.
TEST(KicadResolveViews, GiveWhatResolveGivesOrNothing) {
  const std::string root = std::string("/") + kRoot;
  const std::string sheetA = "30000000-0000-4000-8000-0000000000a1";
  const std::string sheetB = "30000000-0000-4000-8000-0000000000a2";
  const auto block = [&](const std::string& name, const std::string& uuid, const std::string& file,
                         const std::string& variants = "") {
    return "(sheet (at 20 100) (size 20 20) (uuid \"" + uuid + "\")" + property("Sheetname", name) +
           property("Sheetfile", file) + " (instances (project \"board\" (path \"" + root + "\" (page \"2\") " +
           variants + "))))\n";
  };
  // One symbol placed under both sheet blocks, its instance by path.
  const auto twice = [&](const std::string& libId, const std::string& inside, const std::string& refA,
                         const std::string& refB, int unitA, int unitB) {
    static int next = 0;
    return "(symbol (lib_id \"" + libId + "\") (at 10 10 0) (unit 1) (uuid \"5" + std::to_string(++next) + "\")" +
           property("Reference", "X?") + inside + " (instances (project \"board\" (path \"" + root + "/" + sheetA +
           "\" (reference \"" + refA + "\") (unit " + std::to_string(unitA) + ")) (path \"" + root + "/" + sheetB +
           "\" (reference \"" + refB + "\") (unit " + std::to_string(unitB) + ")))))\n";
  };
  const std::string kicad6Child = "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid r9)"
                                  " (property \"Reference\" \"R?\" (id 0) (at 0 0 0))"
                                  " (property \"Value\" \"1k\" (id 1) (at 0 0 0))"
                                  " (property \"MPN\" \"~\" (id 4) (at 0 0 0)))";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // the first is opened
    // Per unit in order, its reference, unit, Value and Footprint as the
    // views show them without a variant; "-" for a unit without views.
    std::string listing;
    std::vector<std::string> copies;  // "reference@variant" that resolve() alone gives
  };
  const std::vector<Case> cases = {
      {"a sheet used twice: each instance its own reference and unit",
       {{"board.kicad_sch", schematic(kRoot, block("A", sheetA, "sub.kicad_sch") + block("B", sheetB, "sub.kicad_sch"))},
        {"sub.kicad_sch",
         schematic("40000000-0000-4000-8000-000000000001",
                   twice("Amp:Dual", property("Value", " TL072 ") + property("Footprint", "SOIC-8") +
                                         property("MPN", " m "),
                         "U1", "U7", 1, 2) +
                       twice("Device:R", property("Value", "10k"), "R1", "R9", 1, 1))}},
       "U1/1 TL072 SOIC-8;R1/1 10k ;U7/2 TL072 SOIC-8;R9/1 10k ;",
       {}},
      {"KiCad 6: value and footprint of each instance from the root's table, \"~\" empty",
       {{"top.kicad_sch",
         "(kicad_sch (version 20211123) (uuid a0) (paper \"A4\")" + std::string(kLibrary) +
             block("left", "s1", "ch.kicad_sch") + block("right", "s2", "ch.kicad_sch") +
             block("last", "s3", "ch.kicad_sch") +
             "(sheet_instances (path \"/\" (page \"1\")) (path \"/s1/\" (page \"2\")) (path \"/s2/\" (page \"3\"))"
             " (path \"/s3/\" (page \"4\")))"
             "(symbol_instances (path \"/s1/r9\" (reference \"R11\") (unit 1) (value \"10k\") (footprint \"~\"))"
             " (path \"/s2/r9\" (reference \"R21\") (unit 1) (value \" 22k \") (footprint \"F\"))"
             " (path \"/s3/r9\" (reference \"R31\") (unit 1))))"},
        {"ch.kicad_sch", "(kicad_sch (version 20211123) (uuid c0) (paper \"A4\")" + std::string(kLibrary) +
                             kicad6Child + ")"}},
       "R11/1 10k ;R21/1 22k F;R31/1 1k ;",
       {}},
      {"variants: field overrides need copies, flags alone do not",
       {{"board.kicad_sch",
         schematic(kRoot,
                   symbol("Device:R", "R1", root, property("Value", "1k"),
                          "(variant (name \"V1\") (field (name \"Value\") (value \"2k\")))") +
                       symbol("Device:R", "R2", root, property("Value", "1k"),
                              "(variant (name \"V1\") (dnp) (in_bom no))") +
                       block("S", sheetA, "sub.kicad_sch", "(variant (name \"V2\") (dnp))"))},
        {"sub.kicad_sch",
         schematic("40000000-0000-4000-8000-000000000001",
                   symbol("Device:R", "R3", root + "/" + sheetA, property("Value", "3k")))}},
       "R1/1 1k ;R2/1 1k ;R3/1 3k ;",
       {"R1@V1"}},
      {"text variables and simulation fields need copies; the simulation flag alone does not",
       {{"board.kicad_sch",
         schematic(kRoot, symbol("Device:R", "R1", root, property("Value", "${X}")) +
                              symbol("Device:R", "R2", root, property("Value", "1k") + property("MPN", "a${X}")) +
                              symbol("Device:R", "R3", root, property("Value", "1k") + property("Sim.Device", "R")) +
                              symbol("Device:R", "R4", root, property("Value", "1k") + property("Spice_Model", "r")) +
                              symbol("Device:R", "R5", root, property("Value", "1k") + property("Sim.Enable", "0")))},
        {"board.kicad_pro", R"({"text_variables": {"X": "x"}})"}},
       "-;-;-;-;R5/1 1k ;",
       {"R1@", "R2@", "R3@", "R4@"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir files;
    for (const auto& [name, text] : c.files) files.file(name, text);
    KicadDesign::Failure failure = KicadDesign::Failure::None;
    std::string failed, why;
    const auto design = KicadDesign::open(files.file(c.files.front().first), failure, failed, &why);
    ASSERT_TRUE(design) << why;
    std::vector<std::string> variants = {""};
    for (const KicadNamedValue& v : design->variants()) variants.push_back(v.name);
    std::string listing;
    std::vector<std::string> copies;
    std::vector<KicadFieldView> views;
    for (const KicadPlacedUnit& u : design->units()) {
      for (const std::string& variant : variants) {
        KicadAttributes attributes;
        attributes.inBom = false;  // set by a call that gives views
        const bool viewed = design->resolveViews(u, variant, views, attributes);
        const KicadResolvedUnit full = design->resolve(u, variant);
        const std::string key = std::string(u.reference) + "@" + variant;
        if (!viewed) {
          copies.push_back(key);
          EXPECT_TRUE(views.empty()) << key;
        } else {
          std::vector<std::pair<std::string, std::string>> got, expected;
          for (const KicadFieldView& f : views) got.emplace_back(f.name, f.value);
          for (const KicadNamedValue& f : full.fields) expected.emplace_back(f.name, f.value);
          EXPECT_EQ(got, expected) << key;
          EXPECT_TRUE(full.written.empty()) << key;
          EXPECT_EQ(attributes.dnp, full.attributes.dnp) << key;
          EXPECT_EQ(attributes.inBom, full.attributes.inBom) << key;
          EXPECT_EQ(attributes.onBoard, full.attributes.onBoard) << key;
          EXPECT_EQ(attributes.excludeFromSim, full.attributes.excludeFromSim) << key;
        }
        if (!variant.empty()) continue;
        listing += viewed ? std::string(views[0].value) + "/" + std::to_string(u.unit) + " " +
                                std::string(views[1].value) + " " + std::string(views[2].value) + ";"
                          : "-;";
      }
    }
    std::vector<std::string> expected = c.copies;
    std::sort(expected.begin(), expected.end());
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(copies, expected);
    EXPECT_EQ(listing, c.listing);
  }
}

// resolveChanges() against resolve(), for every unit and variant of small
// projects: a unit it calls unchanged
// must resolve to its own fields and attributes under every variant (the
// listing takes those without asking resolve()); the units it calls
// changed are the ones each case names, and each of them does change.
TEST(KicadResolveChanges, UnchangedUnitsResolveToTheirOwn) {
  const std::string root = std::string("/") + kRoot;
  const std::string sheetA = "30000000-0000-4000-8000-0000000000c1";
  const std::string sheetB = "30000000-0000-4000-8000-0000000000c2";
  const auto block = [&](const std::string& name, const std::string& uuid, const std::string& file,
                         const std::string& holder, const std::string& variants = "") {
    return "(sheet (at 20 100) (size 20 20) (uuid \"" + uuid + "\")" + property("Sheetname", name) +
           property("Sheetfile", file) + " (instances (project \"board\" (path \"" + holder + "\" (page \"2\") " +
           variants + "))))\n";
  };
  const std::string kicad6 = "(kicad_sch (version 20211123) (uuid a0) (paper \"A4\")" + std::string(kLibrary);
  const auto kicad6Symbol = [](const std::string& uuid, const std::string& value, const std::string& mpn) {
    return "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid " + uuid +
           ") (property \"Reference\" \"R?\" (id 0) (at 0 0 0)) (property \"Value\" \"" + value +
           "\" (id 1) (at 0 0 0)) (property \"MPN\" \"" + mpn + "\" (id 4) (at 0 0 0)))";
  };
  const std::string textVariables = R"({"text_variables": {"X": "x"}})";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // the first is opened
    std::vector<std::string> changed;  // references, in unit order
  };
  const std::vector<Case> cases = {
      {"KiCad 6: a text variable in an instance's value or footprint",
       {{"top.kicad_pro", textVariables},
        {"top.kicad_sch",
         kicad6 + block("a", "s1", "ch.kicad_sch", "/") + block("b", "s2", "ch.kicad_sch", "/") +
             block("c", "s3", "ch.kicad_sch", "/") +
             "(sheet_instances (path \"/\" (page \"1\")) (path \"/s1/\" (page \"2\")) (path \"/s2/\" (page \"3\"))"
             " (path \"/s3/\" (page \"4\")))"
             "(symbol_instances (path \"/s1/r9\" (reference \"R11\") (unit 1) (value \"${X}\") (footprint \"F\"))"
             " (path \"/s2/r9\" (reference \"R21\") (unit 1) (value \"1k\") (footprint \"F${X}\"))"
             " (path \"/s3/r9\" (reference \"R31\") (unit 1) (value \"1k\") (footprint \"F\"))))"},
        {"ch.kicad_sch", kicad6 + kicad6Symbol("r9", "1k", "m") + ")"}},
       {"R11", "R21"}},
      {"KiCad 6: a text variable in a symbol's own field",
       {{"top.kicad_pro", textVariables},
        {"top.kicad_sch", kicad6 + kicad6Symbol("r1", "1k", "m${X}") + kicad6Symbol("r2", "1k", "m") +
                              "(sheet_instances (path \"/\" (page \"1\")))"
                              "(symbol_instances (path \"/r1\" (reference \"R1\") (unit 1) (value \"1k\"))"
                              " (path \"/r2\" (reference \"R2\") (unit 1) (value \"1k\"))))"}},
       {"R1"}},
      {"a symbol's variant, a field with a text variable",
       {{"board.kicad_pro", textVariables},
        {"board.kicad_sch",
         schematic(kRoot, symbol("Device:R", "R1", root, property("Value", "1k"), "(variant (name \"V1\") (dnp))") +
                              symbol("Device:R", "R2", root, property("Value", "1k") + property("MPN", "${X}")) +
                              symbol("Device:R", "R3", root, property("Value", "${X}")) +
                              symbol("Device:R", "R4", root, property("Value", "1k")))}},
       {"R1", "R2", "R3"}},
      {"a sheet's variant reaches the sheets below it, not its siblings",
       {{"board.kicad_sch",
         schematic(kRoot, symbol("Device:R", "R1", root, property("Value", "1k")) +
                              block("A", sheetA, "mid.kicad_sch", root, "(variant (name \"V1\") (dnp))") +
                              block("B", sheetB, "leaf.kicad_sch", root))},
        {"mid.kicad_sch",
         schematic("40000000-0000-4000-8000-000000000002",
                   symbol("Device:R", "R2", root + "/" + sheetA, property("Value", "1k")) +
                       block("C", "30000000-0000-4000-8000-0000000000c3", "leaf.kicad_sch", root + "/" + sheetA))},
        {"leaf.kicad_sch",
         schematic("40000000-0000-4000-8000-000000000003",
                   "(symbol (lib_id \"Device:R\") (at 10 10 0) (unit 1) (uuid \"61\")" + property("Reference", "R?") +
                       property("Value", "1k") + " (instances (project \"board\" (path \"" + root + "/" + sheetA +
                       "/30000000-0000-4000-8000-0000000000c3\" (reference \"R3\") (unit 1)) (path \"" + root + "/" +
                       sheetB + "\" (reference \"R4\") (unit 1)))))\n")}},
       {"R2", "R3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir files;
    for (const auto& [name, text] : c.files) files.file(name, text);
    KicadDesign::Failure failure = KicadDesign::Failure::None;
    std::string failed, why;
    const std::string opened = c.files.front().first;
    const auto design = KicadDesign::open(files.file(opened), failure, failed, &why);
    ASSERT_TRUE(design) << why;
    std::vector<std::string> variants = {""};
    for (const KicadNamedValue& v : design->variants()) variants.push_back(v.name);
    const auto same = [](const KicadAttributes& a, const KicadAttributes& b) {
      return a.dnp == b.dnp && a.inBom == b.inBom && a.onBoard == b.onBoard && a.excludeFromSim == b.excludeFromSim;
    };
    std::vector<std::string> changed;
    for (const KicadPlacedUnit& u : design->units()) {
      const KicadResolvedUnit own = design->resolve(u, "");
      bool differs = false;
      for (const std::string& variant : variants) {
        const KicadResolvedUnit seen = design->resolve(u, variant);
        std::vector<std::pair<std::string, std::string>> got, expected;
        for (const KicadNamedValue& f : seen.fields) got.emplace_back(f.name, f.value);
        for (const KicadNamedValue& f : own.fields) expected.emplace_back(f.name, f.value);
        differs = differs || !seen.written.empty() || got != expected || !same(seen.attributes, u.attributes);
      }
      const bool changes = design->resolveChanges(u);
      EXPECT_EQ(changes, differs) << u.reference;
      if (changes) changed.emplace_back(u.reference);
    }
    EXPECT_EQ(changed, c.changed);
  }
}

}  // namespace
}  // namespace comptab
