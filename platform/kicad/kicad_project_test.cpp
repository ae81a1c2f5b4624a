// Reading KiCad projects: the KiCad 6 instance tables of the root file
// (stale references in a sheet used twice, localised sheet field names,
// pages that are not numbers), a KiCad 7+ instance's own value and
// footprint, the library symbols as components and pins, and a table of
// broken projects with the reason each is refused for. KiCad 7 and later
// files are listed end to end too (tests/e2e/kicad-*).
#include "platform/kicad/kicad_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/circuit/circuit_hierarchy.h"
#include "platform/kcdb/kcdb_memory.h"
#include "platform/sheet/comp_type.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_cache.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

const char* const kLibrary = R"((lib_symbols
    (symbol "Device:R" (in_bom yes) (on_board yes)
      (symbol "R_0_1" (rectangle (start -1 -2) (end 1 2)))
      (symbol "R_1_1" (pin passive line (at 0 3 270) (length 1) (name "~") (number "1"))
                      (pin passive line (at 0 -3 90) (length 1) (name "~") (number "2"))))
    (symbol "Logic:7400" (in_bom yes) (on_board yes)
      (symbol "7400_1_1" (pin input line (at 0 0 0) (length 1) (name "A") (number "1")))
      (symbol "7400_2_1" (pin input line (at 0 0 0) (length 1) (name "A") (number "4")))
      (symbol "7400_0_1" (pin power_in line (at 0 0 0) (length 1) (name "VCC") (number "14"))))
    (symbol "power:GND" (power) (symbol "GND_1_1" (pin power_in line (at 0 0 0) (length 0) (number "1"))))
  ))";

std::string symbol(const std::string& libId, const std::string& uuid, const std::string& reference, int unit,
                   const std::string& value) {
  return "(symbol (lib_id \"" + libId + "\") (at 25.4 63.5 0) (unit " + std::to_string(unit) +
         ") (in_bom yes) (on_board yes) (uuid " + uuid + ") (property \"Reference\" \"" + reference +
         "\" (id 0) (at 0 0 0)) (property \"Value\" \"" + value + "\" (id 1) (at 0 0 0)))\n";
}

std::string sheetBlock(const std::string& uuid, const std::string& name, const std::string& file) {
  return "(sheet (at 100 50) (size 20 20) (uuid " + uuid + ") (property \"Nom feuille\" \"" + name +
         "\" (id 0) (at 0 0 0)) (property \"Fichier feuille\" \"" + file + "\" (id 1) (at 0 0 0)))\n";
}

struct Component {
  std::string reference;
  std::string value;
  std::string type;
  std::vector<std::string> pins;  // pin number, with "*" after a common one
};

Component describe(const ComponentRef& component) {
  Component out;
  out.reference = std::string(component.property("reference").value());
  out.value = std::string(component.property("Value").value());
  out.type = std::to_string(component.typeCode());
  for (const PinRef pin : component.pins())
    out.pins.push_back(std::string(pin.property("pinNumber").value()) +
                       (pin.property("isCommonTerminal").isValid() ? "*" : ""));
  return out;
}

class KicadProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.path().empty()); }

  std::unique_ptr<KicadProject> open(const std::string& target) {
    failedFile.clear();
    why.clear();
    return KicadProject::open(files.file(target), failure, failedFile, &why);
  }

  ScratchDir files;
  KicadProject::Failure failure = KicadProject::Failure::None;
  std::string failedFile;
  std::string why;
};

TEST_F(KicadProjectTest, KiCad6RootTablesGiveEachInstanceItsValues) {
  // The child file's own references are stale; the root's table holds the
  // real ones, by "/<sheet uuid>/<symbol uuid>".
  files.file("ch.kicad_sch", std::string("(kicad_sch (version 20211123) (uuid c0) (paper \"A5\")") + kLibrary +
                                 symbol("Device:R", "r9", "R?", 1, "10k") + symbol("Logic:7400", "u9", "U?", 2, "7400") +
                                 ")");
  files.file("top.kicad_sch",
             std::string("(kicad_sch (version 20211123) (uuid a0) (paper \"A3\")") + kLibrary +
                 symbol("power:GND", "g1", "#PWR1", 1, "GND") + sheetBlock("s1", "left", "ch.kicad_sch") +
                 sheetBlock("s2", "right", "ch.kicad_sch") +
                 "(sheet_instances (path \"/\" (page \"1\")) (path \"/s1/\" (page \"2\")) (path \"/s2/\" (page \"A3\")))"
                 "(symbol_instances (path \"/g1\" (reference \"#PWR01\") (unit 1))"
                 " (path \"/s1/r9\" (reference \"R11\") (unit 1) (value \"10k\") (footprint \"R_0603\"))"
                 " (path \"/s1/u9\" (reference \"U1\") (unit 2) (value \"7400\") (footprint \"\"))"
                 " (path \"/s2/r9\" (reference \"R21\") (unit 1) (value \"22k\") (footprint \"R_0603\"))"
                 " (path \"/s2/u9\" (reference \"U2\") (unit 1) (value \"7400\") (footprint \"\"))))");
  files.file("top.kicad_pro", R"({"meta": {"version": 1}})");
  const auto project = open("top.kicad_pro");
  ASSERT_TRUE(project) << why;

  SheetCache cache;
  project->shareSheets(cache);
  DesignDb top = DesignDb::open(nullptr, files.file("top.kicad_sch"), 2, nullptr, &cache);
  const SheetRef topSheet(top.lookup(DesignDb::kSheetType, "Sheet"));
  ASSERT_TRUE(topSheet.isValid());
  EXPECT_EQ(topSheet.region(), (Box{0, 0, 420000, 297000}));
  const Component ground = describe(topSheet.component(1));
  EXPECT_EQ(ground.reference, "#PWR01");
  EXPECT_EQ(ground.type, "8");  // ground
  EXPECT_EQ(topSheet.component(2).property("Sheetname").value(), "left");
  EXPECT_EQ(topSheet.component(3).property("Sheetfile").value(), "ch.kicad_sch");

  std::string reason;
  const auto db = project->takeHierarchy(&reason);
  ASSERT_TRUE(db) << reason;
  SheetInfo* root = db->topSheets().at(0);
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->blocks().size(), 2u);
  std::vector<std::string> seen;
  for (const BlockInstance* block : root->blocks()) {
    SheetInfo* child = block->childSheets().at(0);
    ASSERT_NE(child, nullptr);
    DesignDb file = DesignDb::open(nullptr, child->fileName(), 2, nullptr, &cache);
    const SheetRef sheet(file.lookup(DesignDb::kSheetType, "Sheet"));
    const InstanceSheet* instance = child->load(&reason);
    ASSERT_NE(instance, nullptr) << reason;
    for (const InstanceComponent* component : instance->components()) {
      const ComponentRef ref = sheet.component(component->number());
      component->overwrite(ref);
      const Component c = describe(ref);
      std::string pins;
      for (const std::string& pin : c.pins) pins += pin + " ";
      seen.push_back(std::to_string(child->sheetNumber()) + " " + c.reference + " " + c.value + " " + c.type + " " +
                     pins + std::string(ref.property("sheetPath").value()));
    }
  }
  // Page "A3" is not a number: the sheet keeps its place in the hierarchy.
  const std::vector<std::string> expected = {
      "2 R11 10k 2 1 2 /left/",
      "2 U1 7400 3 4 14* /left/",
      "3 R21 22k 2 1 2 /right/",
      // Another unit in the second instance: its own pins.
      "3 U2 7400 3 1 14* /right/",
  };
  EXPECT_EQ(seen, expected);

  // The library knows the units: the gate of each pin, common pins in none.
  const auto library = project->takeLibrary();
  ASSERT_NE(library, nullptr);
  const KcdbComponent* gates = library->component("Logic:7400", "7400");
  ASSERT_NE(gates, nullptr);
  EXPECT_EQ(gates->gateCount(), 2);
  EXPECT_EQ(gates->compType(), CompType::Gate);
  EXPECT_EQ(gates->gateNo("14"), 0);
  const KcdbDevice device = library->findDevice("Logic:7400");
  ASSERT_EQ(device.props().size(), 1u);
  EXPECT_EQ(device.props()[0].value, "7400");
}

// KiCad 7 and later keep each placement's values in the symbol's own
// (instances ...): a value or footprint given there is the one listed.
TEST_F(KicadProjectTest, KiCad7InstancesGiveTheirOwnValueAndFootprint) {
  const std::string fields =
      " (property \"Reference\" \"R?\" (at 0 0 0)) (property \"Value\" \"10k\" (at 0 0 0))"
      " (property \"Footprint\" \"R_0603\" (at 0 0 0))";
  files.file("top.kicad_sch",
             std::string("(kicad_sch (version 20231120) (uuid \"a0\") (paper \"A4\")") + kLibrary +
                 "(symbol (lib_id \"Device:R\") (at 1 1 0) (unit 1) (uuid \"r1\")" + fields +
                 " (instances (project \"top\" (path \"/a0\" (reference \"R1\") (unit 1) (value \"4k7\")"
                 " (footprint \"R_0805\")))))\n"
                 "(symbol (lib_id \"Device:R\") (at 2 2 0) (unit 1) (uuid \"r2\")" +
                 fields +
                 " (instances (project \"top\" (path \"/a0\" (reference \"R2\") (unit 1)))))\n"
                 "(sheet_instances (path \"/\" (page \"1\"))))");
  const auto project = open("top.kicad_sch");
  ASSERT_TRUE(project) << why;
  SheetCache cache;
  project->shareSheets(cache);
  DesignDb top = DesignDb::open(nullptr, files.file("top.kicad_sch"), 2, nullptr, &cache);
  const SheetRef sheet(top.lookup(DesignDb::kSheetType, "Sheet"));
  ASSERT_TRUE(sheet.isValid());
  struct Case {
    int number;
    const char* reference;
    const char* value;
    const char* footprint;
  };
  const Case cases[] = {{1, "R1", "4k7", "R_0805"}, {2, "R2", "10k", "R_0603"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    const ComponentRef component = sheet.component(c.number);
    EXPECT_EQ(component.property("reference").value(), c.reference);
    EXPECT_EQ(component.property("Value").value(), c.value);
    EXPECT_EQ(component.property("partName").value(), c.value);
    EXPECT_EQ(component.property("Footprint").value(), c.footprint);
  }
}

TEST_F(KicadProjectTest, HierarchyRefusedForASheetLinkedFromOutside) {
  // The project reads a sheet that a symbolic link brings in from outside
  // its folder, but its hierarchy is refused, as a circuit's would be.
  std::filesystem::create_directories(files.file("proj"));
  std::filesystem::create_directories(files.file("outside"));
  files.file("outside/ch.kicad_sch",
             std::string("(kicad_sch (version 20231120) (uuid c0)") + kLibrary + symbol("Device:R", "r9", "R1", 1, "1k") + ")");
  std::filesystem::create_symlink("../outside/ch.kicad_sch", files.file("proj/ch.kicad_sch"));
  files.file("proj/top.kicad_sch", std::string("(kicad_sch (version 20231120) (uuid a0)") + kLibrary +
                                       sheetBlock("s1", "left", "ch.kicad_sch") + ")");
  const auto project = open("proj/top.kicad_sch");
  ASSERT_TRUE(project) << why;
  std::string reason;
  EXPECT_EQ(project->takeHierarchy(&reason), nullptr);
  EXPECT_EQ(reason, files.file("proj/top.kicad_sch") +
                        ": sheet entry 2: \"ch.kicad_sch\" leads out of the circuit directory through a symbolic link");
}

TEST_F(KicadProjectTest, SymbolLibraryAsKcdb) {
  // Bare names take the library's name from the file; converted libraries
  // name their symbols whole; a derived symbol has its parent's units.
  files.file("parts.kicad_sym", R"((kicad_symbol_lib (version 20231120)
    (symbol "Dual" (symbol "Dual_1_1" (pin input line (at 0 0 0) (number "1")))
                   (symbol "Dual_2_1" (pin input line (at 0 0 0) (number "5")))
                   (symbol "Dual_0_1" (pin power_in line (at 0 0 0) (number "8"))))
    (symbol "DualB" (extends "Dual"))
    (symbol "old:Res" (symbol "Res_1_1" (pin passive line (at 0 0 0) (number "1"))))))");
  const auto library = KicadProject::symbolLibrary(files.file("parts.kicad_sym"), &why);
  ASSERT_NE(library, nullptr) << why;
  const struct {
    const char* device;
    const char* component;
    int gates;
    const char* pin;
    int gate;
  } cases[] = {
      {"parts:Dual", "Dual", 2, "5", 2},
      {"parts:DualB", "DualB", 2, "8", 0},  // a common pin belongs to no gate
      {"old:Res", "Res", 1, "1", 1},
  };
  for (const auto& c : cases) {
    const KcdbComponent* found = library->component(c.device, c.component);
    ASSERT_NE(found, nullptr) << c.device;
    EXPECT_EQ(found->gateCount(), c.gates) << c.device;
    EXPECT_EQ(found->compType(), c.gates > 1 ? CompType::Gate : CompType::Parts) << c.device;
    EXPECT_EQ(found->gateNo(c.pin), c.gate) << c.device;
  }
  EXPECT_EQ(library->component("parts:Res", "Res"), nullptr);
  EXPECT_EQ(KicadProject::symbolLibrary(files.file("none.kicad_sym"), &why), nullptr);
}

TEST_F(KicadProjectTest, RefusesBrokenProjectsSayingWhere) {
  const std::string head = "(kicad_sch (version 20231120) (uuid \"r\")\n";
  std::string chain;
  for (int i = 0; i <= KicadProject::kMaxDepth; ++i)
    files.file("deep" + std::to_string(i) + ".kicad_sch",
               head + sheetBlock("d", "d", "deep" + std::to_string(i + 1) + ".kicad_sch") + ")");
  files.file("deep" + std::to_string(KicadProject::kMaxDepth + 1) + ".kicad_sch", head + ")");
  files.file("self.kicad_sch", head + sheetBlock("x", "me", "self.kicad_sch") + ")");
  files.file("a.kicad_sch", head + sheetBlock("x", "to b", "sub/b.kicad_sch") + ")");
  files.file("sub/b.kicad_sch", head + sheetBlock("y", "back", "../a.kicad_sch") + ")");
  files.file("lost.kicad_sch", head + sheetBlock("x", "gone", "gone.kicad_sch") + ")");
  files.file("pcb.kicad_sch", "(kicad_pcb (version 20221018))");
  files.file("unit.kicad_sch", head + "(lib_symbols (symbol \"L:X\" (symbol \"X_one\")))\n)");
  files.file("nofile.kicad_sch", head + "(sheet (at 1 2) (property \"Sheetname\" \"n\"))\n)");
  files.file("paper.kicad_sch", head + "(paper \"Napkin\"))");
  files.file("cut.kicad_sch", head + "(symbol (lib_id \"L:X\")");
  files.file("at.kicad_sch", head + "(symbol (lib_id \"L:X\") (at 1))\n)");
  files.file("unitword.kicad_sch", head + "(symbol (lib_id \"L:X\") (at 1 2) (unit two))\n)");
  files.file("flag.kicad_sch", head + "(symbol (lib_id \"L:X\") (dnp maybe))\n)");
  files.file("bad.kicad_pro", "{\"meta\": ");
  files.file("alone.kicad_pro", "{}");
  const std::string dir = files.path() + "/";
  struct Case {
    const char* target;
    KicadProject::Failure failure;
    std::string failedFile;
    std::string why;
  };
  const Case cases[] = {
      {"self.kicad_sch", KicadProject::Failure::Sheet, "self.kicad_sch",
       "self.kicad_sch:2:1: the sheet \"me\" uses \"self.kicad_sch\", which holds it: the sheets make a cycle"},
      {"a.kicad_sch", KicadProject::Failure::Sheet, "sub/b.kicad_sch",
       "sub/b.kicad_sch:2:1: the sheet \"back\" uses \"../a.kicad_sch\", which holds it: the sheets make a cycle"},
      {"lost.kicad_sch", KicadProject::Failure::Sheet, "gone.kicad_sch",
       "lost.kicad_sch:2:1: the sheet \"gone\" uses \"gone.kicad_sch\", which cannot be read; " + dir +
           "gone.kicad_sch: the file does not exist"},
      {"deep0.kicad_sch", KicadProject::Failure::Sheet, "deep32.kicad_sch",
       "deep32.kicad_sch:2:1: sheets nest deeper than the 32 levels a circuit may have"},
      {"pcb.kicad_sch", KicadProject::Failure::Sheet, "pcb.kicad_sch",
       "pcb.kicad_sch:1:1: not a KiCad schematic: the file starts with (kicad_pcb ...)"},
      {"unit.kicad_sch", KicadProject::Failure::Sheet, "unit.kicad_sch",
       "unit.kicad_sch:2:28: the unit \"X_one\" of \"L:X\" is not named NAME_UNIT_STYLE"},
      {"nofile.kicad_sch", KicadProject::Failure::Sheet, "nofile.kicad_sch",
       "nofile.kicad_sch:2:1: a sheet block that names no sheet file"},
      {"paper.kicad_sch", KicadProject::Failure::Sheet, "paper.kicad_sch",
       "paper.kicad_sch:2:1: unknown paper size \"Napkin\""},
      {"cut.kicad_sch", KicadProject::Failure::Sheet, "cut.kicad_sch",
       "cut.kicad_sch:2:23: the list opened at line 2, column 1 is not closed (is the file cut short?)"},
      {"at.kicad_sch", KicadProject::Failure::Sheet, "at.kicad_sch", "at.kicad_sch:2:24: (at ...) lacks a number"},
      {"unitword.kicad_sch", KicadProject::Failure::Sheet, "unitword.kicad_sch",
       "unitword.kicad_sch:2:39: expected a whole number, found \"two\""},
      {"flag.kicad_sch", KicadProject::Failure::Sheet, "flag.kicad_sch",
       "flag.kicad_sch:2:24: expected yes or no, found \"maybe\""},
      {"bad.kicad_pro", KicadProject::Failure::ProjectFile, "bad.kicad_pro", ""},
      {"alone.kicad_pro", KicadProject::Failure::ProjectFile, "alone.kicad_pro",
       "alone.kicad_pro: the root schematic \"alone.kicad_sch\" beside it does not exist"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(open(c.target)) << c.target;
    EXPECT_EQ(failure, c.failure) << c.target;
    EXPECT_EQ(failedFile, dir + c.failedFile) << c.target;
    if (c.why.empty())
      EXPECT_NE(why.find("not valid JSON"), std::string::npos) << why;
    else
      EXPECT_EQ(why, dir + c.why) << c.target;
  }
}

}  // namespace
}  // namespace comptab
