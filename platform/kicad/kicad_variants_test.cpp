// A placed unit as a variant sees it: the variant's field overrides (the
// five fields trimmed, others as written, new ones added), flags bare or
// spelt out on symbols, variants and sheet blocks, the text variables a
// field may name, and which units need resolving at all.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace comptab
