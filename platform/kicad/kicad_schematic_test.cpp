// What one schematic file gives each placed symbol: its flags, bare or
// spelt out, and the values its KiCad 7+ instances set for one project.
#include "platform/kicad/kicad_schematic.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Every text and number of the model, to compare two readings of a file;
// `inside` counts the texts that lie in [begin, end).
std::string dump(const KicadSchematic& file, const char* begin = nullptr, const char* end = nullptr,
                 int* inside = nullptr) {
  std::ostringstream out;
  const auto t = [&](std::string_view text) {
    if (inside != nullptr && !text.empty() && text.data() >= begin && text.data() < end) ++*inside;
    return text;
  };
  const auto variants = [&](const std::vector<KicadVariantData>& list) {
    for (const KicadVariantData& v : list) {
      out << " variant " << t(v.name) << flagText(v.dnp) << flagText(v.inBom) << flagText(v.onBoard)
          << flagText(v.excludeFromSim) << flagText(v.inPosFiles);
      for (const KicadField& f : v.fields) out << " [" << t(f.name) << "=" << t(f.value) << "]";
    }
  };
  const auto instance = [&](const KicadInstance& i) {
    out << " ref " << t(i.reference) << " unit " << i.unit << " value " << i.hasValue << t(i.value) << " fp "
        << i.hasFootprint << t(i.footprint);
    variants(i.variants);
  };
  out << t(file.uuid()) << " " << file.version() << " " << file.paperWidth() << "x" << file.paperHeight() << "\n";
  for (const auto& [name, text] : file.titleBlock()) out << t(name) << "=" << t(text) << "\n";
  for (const KicadLibSymbol& lib : file.libSymbols()) {
    out << "lib " << t(lib.name) << " extends " << t(lib.extends) << " " << lib.power << " " << lib.unitCount << " "
        << t(lib.description) << " / " << t(lib.keywords);
    for (const KicadLibPin& pin : lib.pins) out << " pin " << t(pin.number) << ":" << pin.unit << ":" << pin.style;
    out << " found " << (file.libSymbol(lib.name) == &lib) << "\n";
  }
  for (const KicadSymbol& s : file.symbols()) {
    out << "symbol " << s.order << " " << t(s.libId) << " " << t(s.libName) << " " << t(s.uuid) << " " << s.x << " "
        << s.y << " " << s.angle << " " << s.mirror << s.unit << s.style << flagText(s.inBom) << flagText(s.onBoard)
        << flagText(s.dnp) << flagText(s.excludeFromSim);
    for (const KicadField& f : s.fields) out << " [" << t(f.name) << "=" << t(f.value) << "]";
    for (const auto& [path, i] : s.instances) {
      out << " at " << t(path);
      instance(i);
    }
    out << "\n";
  }
  for (const KicadSheetBlock& b : file.sheets()) {
    out << "block " << b.order << " " << t(b.uuid) << " " << t(b.name) << " " << t(b.file) << " " << b.x << " " << b.y
        << flagText(b.inBom) << flagText(b.onBoard) << flagText(b.dnp) << flagText(b.excludeFromSim);
    for (const KicadField& f : b.userFields) out << " [" << t(f.name) << "=" << t(f.value) << "]";
    for (const auto& [path, page] : b.pages) out << " page " << t(path) << "=" << t(page);
    for (const auto& [path, list] : b.variants) {
      out << " at " << t(path);
      variants(list);
    }
    out << "\n";
  }
  for (const char* path : {"/", "/00000000-0000-0000-0000-0000000000c1"}) out << "page " << t(file.page(path)) << "\n";
  for (const char* path : {"/00000000-0000-0000-0000-0000000000b1", "/00000000-0000-0000-0000-0000000000b2"})
    if (const KicadInstance* i = file.symbolInstance(path)) instance(*i);
  return out.str();
}

// A file read with its texts copied holds the same model, and keeps it
// once its bytes are let go; texts with escapes, shared texts (the same
// footprint twice) and those of every kind of list are among them.
TEST(KicadSchematicTest, CopiedTextsOutliveTheFile) {
  const std::string path = ::testing::TempDir() + "copied.kicad_sch";
  std::ofstream(path)
      << "(kicad_sch (version 20231120) (generator \"eeschema\")\n"
      << "  (uuid \"00000000-0000-0000-0000-0000000000a0\") (paper \"User\" 300 200 portrait)\n"
      << "  (title_block (title \"Amp \\\"B\\\"\") (date \"2024-01-02\") (rev \"3\") (company \"Co\")\n"
      << "    (comment 1 \"first\") (comment 9 \"ninth\"))\n"
      << "  (lib_symbols (symbol \"Device:R\" (property \"Description\" \"Resistor\")\n"
      << "      (property \"ki_keywords\" \"R res\") (pin passive line (number \"1\"))\n"
      << "      (symbol \"R_1_1\" (pin passive line (number \"2\"))) (symbol \"R_2_1\"))\n"
      << "    (symbol \"My:R2\" (extends \"Device:R\") (power)))\n"
      << "  (symbol (lib_id \"Device:R\") (lib_name \"R_x\") (at 10 20 90) (mirror x) (unit 2) (convert 1)\n"
      << "    (in_bom no) (dnp) (uuid \"00000000-0000-0000-0000-0000000000b1\")\n"
      << "    (property \"Reference\" \"R1\") (property \"Value\" \"1\\\\2\") (property \"Footprint\" \"R_0603\")\n"
      << "    (instances (project \"p\" (path \"/00000000-0000-0000-0000-0000000000a0\" (reference \"R9\")\n"
      << "      (unit 2) (value \"4k7\") (footprint \"R_0805\")\n"
      << "      (variant (name \"Lite\") (dnp yes) (field (name \"Value\") (value \"0R\")))))))\n"
      << "  (symbol (lib_id \"My:R2\") (at 1 2) (uuid \"00000000-0000-0000-0000-0000000000b2\")\n"
      << "    (property \"Reference\" \"R2\") (property \"Footprint\" \"R_0603\"))\n"
      << "  (sheet (at 5 6) (uuid \"00000000-0000-0000-0000-0000000000c1\") (dnp yes)\n"
      << "    (property \"Sheetname\" \"Sub \\\"1\\\"\") (property \"Sheetfile\" \"sub.kicad_sch\")\n"
      << "    (property \"Note\" \"n\")\n"
      << "    (instances (project \"p\" (path \"/00000000-0000-0000-0000-0000000000a0/\" (page \"2\")\n"
      << "      (variant (name \"Lite\") (in_bom no))))))\n"
      << "  (sheet_instances (path \"/\" (page \"1\")) (path \"/00000000-0000-0000-0000-0000000000c1/\" (page "
         "\"2\")))\n"
      << "  (symbol_instances (path \"/00000000-0000-0000-0000-0000000000b2\" (reference \"R2\") (unit 1)\n"
      << "    (value \"v\") (footprint \"\")))\n"
      << ")\n";
  std::string reason;
  const auto inFile = KicadSchematic::read(path, &reason);
  ASSERT_TRUE(inFile) << reason;
  const auto copied = KicadSchematic::read(path, &reason, false, true);
  ASSERT_TRUE(copied) << reason;
  const SexprView inFileHead = inFile->document().at(0);
  const char* inFileBytes = inFileHead.text().data() - inFileHead.offset();
  int inFileTexts = 0;
  const std::string expected = dump(*inFile, inFileBytes, inFileBytes + inFile->byteCount(), &inFileTexts);
  EXPECT_GT(inFileTexts, 20);
  EXPECT_NE(expected.find("[Value=1\\2]"), std::string::npos) << expected;
  EXPECT_NE(expected.find("ref R9"), std::string::npos) << expected;
  EXPECT_NE(expected.find("TITLE=Amp \"B\""), std::string::npos) << expected;
  EXPECT_EQ(copied->symbols()[0].fields[2].value.data(), copied->symbols()[1].fields[1].value.data());
  // The file's bytes, found through the tree drawn from them.
  const SexprView head = copied->document().at(0);
  ASSERT_EQ(head.text(), "kicad_sch");
  const char* bytes = head.text().data() - head.offset();
  int inside = 0;
  EXPECT_EQ(dump(*copied, bytes, bytes + copied->byteCount(), &inside), expected);
  EXPECT_EQ(inside, 0);
  EXPECT_EQ(copied->where(copied->sheets()[0].offset), path + ":17:3");

  copied->releaseFile();
  EXPECT_EQ(dump(*copied), expected);
  EXPECT_EQ(copied->where(copied->sheets()[0].offset), path);
  EXPECT_FALSE(copied->document().isValid());
  // A file read with its texts in place keeps its bytes.
  inFile->releaseFile();
  EXPECT_EQ(dump(*inFile), expected);
  EXPECT_TRUE(inFile->document().isValid());
}

}  // namespace
}  // namespace comptab
