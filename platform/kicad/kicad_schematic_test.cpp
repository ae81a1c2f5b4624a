// What one schematic file gives each placed symbol: its flags, bare or
// spelt out, and the values its KiCad 7+ instances set for one project.
#include "platform/kicad/kicad_schematic.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace comptab {
namespace {

// Writes `symbols` (placed symbols) into a schematic file and reads it.
std::unique_ptr<KicadSchematic> readSchematic(const std::string& name, const std::string& symbols,
                                              std::string* reason) {
  const std::string path = ::testing::TempDir() + name + ".kicad_sch";
  std::ofstream(path) << "(kicad_sch (version 20231120) (generator \"eeschema\")\n"
                      << "  (uuid \"00000000-0000-0000-0000-0000000000a0\")\n  (paper \"A4\")\n"
                      << symbols << ")\n";
  return KicadSchematic::read(path, reason);
}

std::string symbol(const std::string& inside) {
  return "  (symbol (lib_id \"Device:R\") (at 10 20 0) (unit 1) " + inside +
         "\n    (uuid \"00000000-0000-0000-0000-0000000000b1\")\n"
         "    (property \"Reference\" \"R1\" (at 0 0 0))\n    (property \"Value\" \"10k\" (at 0 0 0)))\n";
}

const char* flagText(KicadFlag flag) { return flag == KicadFlag::Yes ? "yes" : flag == KicadFlag::No ? "no" : "unset"; }

// A bare flag, as KiCad writes (dnp) and older files (in_bom), means yes.
TEST(KicadSchematicTest, FlagsBareOrSpeltOut) {
  struct Case {
    const char* flags;
    const char* inBom;
    const char* onBoard;
    const char* dnp;
  };
  const Case cases[] = {
      {"", "unset", "unset", "unset"},
      {"(in_bom yes) (on_board yes) (dnp no)", "yes", "yes", "no"},
      {"(in_bom no) (on_board no) (dnp yes)", "no", "no", "yes"},
      {"(in_bom) (on_board) (dnp)", "yes", "yes", "yes"},
      {"(in_bom no) (dnp)", "no", "unset", "yes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    std::string reason;
    const auto file = readSchematic("flags", symbol(c.flags), &reason);
    ASSERT_TRUE(file) << reason;
    ASSERT_EQ(file->symbols().size(), 1u);
    const KicadSymbol& s = file->symbols().front();
    EXPECT_STREQ(flagText(s.inBom), c.inBom);
    EXPECT_STREQ(flagText(s.onBoard), c.onBoard);
    EXPECT_STREQ(flagText(s.dnp), c.dnp);
  }
}

TEST(KicadSchematicTest, FlagWordsOtherThanYesOrNoAreRefused) {
  std::string reason;
  EXPECT_FALSE(readSchematic("badflag", symbol("(dnp maybe)"), &reason));
  EXPECT_NE(reason.find("expected yes or no, found \"maybe\""), std::string::npos) << reason;
}

// The file is read a list at a time, but a fault of its text is still told
// before what a list's content was refused for, and texts with escapes
// outlive the list they came from.
TEST(KicadSchematicTest, TextFaultsComeFirstAndTextsOutliveTheirLists) {
  std::string reason;
  EXPECT_FALSE(readSchematic("order", symbol("(dnp maybe)") + "  (wire (pts \"open)\n", &reason));
  EXPECT_NE(reason.find("order.kicad_sch:8:14: this string is not closed"), std::string::npos) << reason;
  const auto file = readSchematic("escapes", symbol("(property \"Note\" \"a \\\"b\\\"\")"), &reason);
  ASSERT_TRUE(file) << reason;
  ASSERT_EQ(file->symbols().front().fields.size(), 3u);
  EXPECT_EQ(file->symbols().front().fields[0].value, "a \"b\"");
  EXPECT_TRUE(file->document().find("symbol").isValid());
}

// KiCad 7 and later keep, per project and sheet path, the reference, unit
// and, where the instance sets them, value and footprint.
TEST(KicadSchematicTest, InstancesCarryTheirOwnValue) {
  const std::string instances =
      "(instances (project \"p\"\n"
      "  (path \"/00000000-0000-0000-0000-0000000000a0\" (reference \"R7\") (unit 2) (value \"4k7\"))\n"
      "  (path \"/00000000-0000-0000-0000-0000000000a0/00000000-0000-0000-0000-0000000000c1/\"\n"
      "    (reference \"R8\") (unit 1) (footprint \"R_0603\"))))";
  std::string reason;
  const auto file = readSchematic("instances", symbol(instances), &reason);
  ASSERT_TRUE(file) << reason;
  ASSERT_EQ(file->symbols().size(), 1u);
  const auto& list = file->symbols().front().instances;
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].first, "/00000000-0000-0000-0000-0000000000a0");
  EXPECT_EQ(list[0].second.reference, "R7");
  EXPECT_EQ(list[0].second.unit, 2);
  EXPECT_TRUE(list[0].second.hasValue);
  EXPECT_EQ(list[0].second.value, "4k7");
  EXPECT_FALSE(list[0].second.hasFootprint);
  EXPECT_EQ(list[1].first, "/00000000-0000-0000-0000-0000000000a0/00000000-0000-0000-0000-0000000000c1");
  EXPECT_EQ(list[1].second.reference, "R8");
  EXPECT_FALSE(list[1].second.hasValue);
  EXPECT_TRUE(list[1].second.hasFootprint);
  EXPECT_EQ(list[1].second.footprint, "R_0603");
}

}  // namespace
}  // namespace comptab
