// One KiCad sheet instance as sheet data: the values the instance gives a
// symbol (its own value and footprint before the file's), the flags, the
// type each symbol becomes, the pins of the unit placed, the blocks in the
// file's order, the paper, and the parts the library learns; a later
// instance made from the first is what a full build gives.
#include "platform/kicad/kicad_sheet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/kcdb/kcdb_memory.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/sheet/comp_type.h"
#include "platform/sheet/sheet_data.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

const char* const kLibrary = R"((lib_symbols
  (symbol "Device:R" (symbol "R_1_1" (pin passive line (at 0 3 270) (length 1) (number "1"))
    (pin passive line (at 0 -3 90) (length 1) (number "2"))))
  (symbol "Amp:Dual" (pin power_in line (at 0 0 0) (length 1) (number "8"))
    (symbol "Dual_1_1" (pin input line (at 0 0 0) (length 1) (number "3")))
    (symbol "Dual_2_1" (pin input line (at 0 0 0) (length 1) (number "5")))
    (symbol "Dual_2_2" (pin input line (at 0 0 0) (length 1) (number "6"))))
  (symbol "power:GND" (power) (symbol "GND_1_1" (pin power_in line (at 0 0 270) (length 0) (number "1"))))
  (symbol "power:VCC" (power) (symbol "VCC_1_1" (pin power_in line (at 0 0 270) (length 0) (number "1"))))
  (symbol "Mech:Hole" (symbol "Hole_1_1"))
  (symbol "Device:R_Small" (extends "R")))
)";

std::string placed(const std::string& libId, const std::string& fields, const std::string& more = "") {
  return "(symbol (lib_id \"" + libId + "\") (at 25.4 12.7 90) (unit 1) " + more + " (uuid \"s\") " + fields + ")\n";
}

std::string field(const std::string& name, const std::string& value) {
  return "(property \"" + name + "\" \"" + value + "\" (at 0 0 0))";
}

class KicadSheetTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.path().empty()); }

  // Reads a schematic of `body` on paper `paper`.
  const KicadSchematic& read(const std::string& body, const std::string& paper = "(paper \"A4\")") {
    std::string why;
    const std::string path =
        files.file("t.kicad_sch", "(kicad_sch (version 20231120) (uuid \"r\") " + paper + kLibrary + body + ")\n");
    file = KicadSchematic::read(path, &why);
    EXPECT_TRUE(file) << why;
    return *file;
  }

  // Each symbol as the file gives it, unless `resolved` says otherwise.
  std::shared_ptr<SheetData> build(std::vector<KicadResolved> resolved = {}) {
    resolved.resize(file->symbols().size());
    return buildKicadSheet(*file, "t.kicad_sch", resolved, "/amp/", &library);
  }

  static std::vector<std::pair<std::string, std::string>> properties(const SheetData& sheet, Block block) {
    std::vector<std::pair<std::string, std::string>> out;
    for (uint32_t i = block.first; i < block.first + block.count; ++i)
      out.emplace_back(sheet.properties[i].name(), sheet.properties[i].value());
    return out;
  }

  ScratchDir files;
  std::unique_ptr<KicadSchematic> file;
  KcdbMemory library;
};

using Properties = std::vector<std::pair<std::string, std::string>>;

// The instance's reference, value and footprint stand where the file's
// fields do (a KiCad 7+ (instances ...) may override the value and the
// footprint); other fields keep the file's text, or its expansion.
TEST_F(KicadSheetTest, TheInstanceValuesReplaceTheFields) {
  read(placed("Device:R", field("Reference", "R?") + field("Value", "10k") + field("Footprint", "R_0603") +
                              field("MPN", "${X}") + field("Note", "plain") + field("reference", "mine")));
  KicadResolved here;
  here.reference = "R7";
  here.value = "4k7";
  here.footprint = "R_0805";
  here.attributes.dnp = true;
  here.attributes.inBom = false;
  const std::vector<KicadNamedValue> expanded = {{"MPN", "expanded"}};
  here.expanded = &expanded;
  here.destinationProperties = {{"Value@V1", "1k"}, {"dnp@V1", "NO"}};
  const auto sheet = build({here});
  ASSERT_EQ(sheet->components.size(), 1u);
  // A user field cannot take the place of the reference set first.
  EXPECT_EQ(properties(*sheet, sheet->components[0].properties), (Properties{{"reference", "R7"},
                                                                             {"Value", "4k7"},
                                                                             {"Footprint", "R_0805"},
                                                                             {"MPN", "expanded"},
                                                                             {"Note", "plain"},
                                                                             {"partName", "4k7"},
                                                                             {"cdbName", "Device:R"},
                                                                             {"componentName", "R"},
                                                                             {"sheetPath", "/amp/"},
                                                                             {"in_bom", "NO"},
                                                                             {"on_board", "YES"},
                                                                             {"dnp", "YES"},
                                                                             {"exclude_from_sim", "NO"},
                                                                             {"Value@V1", "1k"},
                                                                             {"dnp@V1", "NO"}}));
}

TEST_F(KicadSheetTest, TypeOfEachSymbol) {
  struct Case {
    const char* libId;
    const char* reference;
    const char* value;
    uint16_t type;
  };
  const Case cases[] = {
      {"Device:R", "R1", "10k", CompType::Parts},
      {"Amp:Dual", "U1", "TL072", CompType::Gate},
      {"power:GND", "#PWR1", "GND", CompType::Ground},
      {"power:VCC", "#PWR2", "VCC", CompType::Power},
      {"power:VCC", "#PWR3", "agnd", CompType::Ground},  // the net's name decides, in any case
      {"Mech:Hole", "H1", "Hole", CompType::Mechanical},
      {"Lost:Thing", "X1", "x", CompType::Parts},  // the file embeds no such symbol
      {"Lost:Thing", "#PWR4", "+5V", CompType::Power},
      {"Lost:Thing", "#PWR5", "Earth", CompType::Ground},
  };
  std::string body;
  std::vector<KicadResolved> resolved;
  for (const Case& c : cases) {
    body += placed(c.libId, field("Reference", c.reference));
    KicadResolved& here = resolved.emplace_back();
    here.reference = c.reference;
    here.value = c.value;
  }
  read(body);
  const auto sheet = build(resolved);
  ASSERT_EQ(sheet->components.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(std::string(cases[i].libId) + " " + cases[i].reference);
    EXPECT_EQ(sheet->components[i].typeWord, cases[i].type);
  }
}

// The pins of the unit placed and the style drawn, and the pins drawn
// outside every unit, which serve them all.
TEST_F(KicadSheetTest, PinsOfTheUnitPlaced) {
  struct Case {
    int unit;
    const char* style;
    const char* pins;
  };
  const Case cases[] = {
      {1, "", "3 8*"},
      {2, "", "5 8*"},
      {2, "(convert 2)", "6 8*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.unit) + c.style);
    read(placed("Amp:Dual", field("Reference", "U1"), c.style));
    KicadResolved here;
    here.unit = c.unit;
    const auto sheet = build({here});
    const Block pins = sheet->components.at(0).pins;
    std::string seen;
    for (uint32_t p = pins.first; p < pins.first + pins.count; ++p) {
      const Properties pin = properties(*sheet, sheet->pins[p].properties);
      ASSERT_FALSE(pin.empty());
      seen += (seen.empty() ? "" : " ") + pin[0].second;
      if (pin.size() > 1 && pin[1] == std::pair<std::string, std::string>{"isCommonTerminal", "YES"}) seen += "*";
    }
    EXPECT_EQ(seen, c.pins);
  }
}

// Symbols and blocks keep the file's order; a block's name and file come
// first, then its own fields.
TEST_F(KicadSheetTest, BlocksAmongTheSymbolsInFileOrder) {
  const std::string block = "(sheet (at 50.8 25.4) (size 10 10) (uuid \"b\") " + field("Sheetname", "amp") +
                            field("Sheetfile", "amp.kicad_sch") + field("Gain", "10") + ")\n";
  read(placed("Device:R", field("Reference", "R1")) + block + placed("Device:R", field("Reference", "R2")));
  const auto sheet = build();
  ASSERT_EQ(sheet->components.size(), 3u);
  EXPECT_EQ(sheet->components[0].typeWord, CompType::Parts);
  const ComponentData& middle = sheet->components[1];
  EXPECT_EQ(middle.typeWord, CompType::Block);
  EXPECT_EQ(middle.position.x, 50800);
  EXPECT_EQ(middle.position.y, 25400);
  EXPECT_EQ(properties(*sheet, middle.properties),
            (Properties{{"Sheetname", "amp"}, {"Sheetfile", "amp.kicad_sch"}, {"Gain", "10"}, {"sheetPath", "/amp/"}}));
  EXPECT_EQ(sheet->components[2].typeWord, CompType::Parts);
  // Numbered by their place in the file, and found by it.
  ASSERT_EQ(sheet->byNumber.size(), 3u);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(sheet->byNumber[i], (std::pair<int32_t, uint32_t>{int32_t(i + 1), i}));
  // A symbol stands where the file puts it, in micrometres, turned in radians.
  EXPECT_EQ(sheet->components[0].position.x, 25400);
  EXPECT_EQ(sheet->components[0].position.y, 12700);
  EXPECT_NEAR(sheet->components[0].angle, 1.5707963, 1e-6);
}

// The paper is the sheet's region, in micrometres; portrait swaps its sides.
TEST_F(KicadSheetTest, PaperAsTheRegion) {
  struct Case {
    const char* paper;
    int32_t width;
    int32_t height;
  };
  const Case cases[] = {
      {"(paper \"A4\")", 297000, 210000},
      {"(paper \"A3\" portrait)", 297000, 420000},
      {"(paper \"User\" 100.5 50)", 100500, 50000},
      {"", 297000, 210000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.paper);
    read("", c.paper);
    const auto sheet = build();
    EXPECT_EQ(sheet->region.x2 - sheet->region.x1, c.width);
    EXPECT_EQ(sheet->region.y2 - sheet->region.y1, c.height);
    EXPECT_TRUE(sheet->hasZone);
    EXPECT_TRUE(sheet->zone.rowFirst);
  }
}

// The library learns each part once, with a gate for each unit; a pin
// drawn outside every unit belongs to the one gate of a part of one unit
// and to no gate of a part of several.
TEST_F(KicadSheetTest, PartsPlacedJoinTheLibrary) {
  read(placed("Amp:Dual", field("Reference", "U1")) + placed("Device:R", field("Reference", "R1")) +
       placed("Device:R", field("Reference", "R2"), "(lib_name \"R_1\")"));
  build();
  const KcdbComponent* dual = library.component("Amp:Dual", "Dual");
  ASSERT_NE(dual, nullptr);
  EXPECT_EQ(dual->compType(), CompType::Gate);
  EXPECT_EQ(dual->gateCount(), 2);
  EXPECT_EQ(dual->gateNo("3"), 1);
  EXPECT_EQ(dual->gateNo("5"), 2);
  EXPECT_EQ(dual->gateNo("8"), 0);
  const KcdbComponent* resistor = library.component("Device:R", "R");
  ASSERT_NE(resistor, nullptr);
  EXPECT_EQ(resistor->compType(), CompType::Parts);
  EXPECT_EQ(resistor->gateNo("2"), 1);

  KicadLibSymbol common;
  common.name = "Device:Q";
  common.pins = {{"1", 0, 0}};
  addKicadComponent(library, "Device:Q", "Q", common);
  EXPECT_EQ(library.component("Device:Q", "Q")->gateNo("1"), 1);
}

// Everything of a sheet the walk reads, as text, to compare two sheets.
std::string dump(const SheetData& sheet) {
  std::string out = sheet.fileName + " " + std::to_string(sheet.region.x2) + "\n";
  const auto block = [&](Block b) {
    for (uint32_t i = b.first; i < b.first + b.count; ++i)
      out += " " + std::string(sheet.properties[i].name()) + "=" + std::string(sheet.properties[i].value());
  };
  for (const ComponentData& c : sheet.components) {
    out += std::to_string(c.number) + " " + std::to_string(c.typeWord) + " " + std::to_string(c.attributes) + " " +
           std::to_string(c.position.x) + "," + std::to_string(c.position.y) + " " + std::to_string(c.angle) + " " +
           std::string(c.symbolName) + ":";
    block(c.properties);
    for (uint32_t p = c.pins.first; p < c.pins.first + c.pins.count; ++p) {
      out += " |";
      block(sheet.pins[p].properties);
    }
    out += "\n";
  }
  for (const auto& [number, index] : sheet.byNumber) out += std::to_string(number) + ">" + std::to_string(index) + " ";
  return out;
}

// A later instance made from the first is what a full build of it gives,
// whatever it changes: each case changes the second instance (or the
// first) of a file of four symbols and a block.
TEST_F(KicadSheetTest, ALaterInstanceIsWhatAFullBuildGives) {
  const std::string block = "(sheet (at 50.8 25.4) (size 10 10) (uuid \"b\") " + field("Sheetname", "amp") +
                            field("Sheetfile", "amp.kicad_sch") + ")\n";
  // A user field "partName" holds the place of comptab's; a second Value
  // field is dropped.
  read(placed("Device:R", field("Reference", "R?") + field("Value", "10k") + field("Footprint", "R_0603") +
                              field("MPN", "${X}") + field("partName", "mine") + field("Value", "dup")) +
       placed("Amp:Dual", field("Reference", "U?") + field("Value", "TL072")) + block +
       placed("power:VCC", field("Reference", "#PWR?") + field("Value", "VCC")) +
       placed("Device:R", field("Reference", "R?") + field("Value", "1k") + field("Footprint", "x")));
  const std::vector<KicadNamedValue> expanded = {{"MPN", "expanded"}};
  const auto first = [] {
    std::vector<KicadResolved> r(4);
    const char* const texts[4][3] = {
        {"R1", "10k", "R_0603"}, {"U1", "TL072", ""}, {"#PWR1", "VCC", ""}, {"R2", "1k", "x"}};
    for (size_t i = 0; i < 4; ++i) {
      r[i].reference = texts[i][0];
      r[i].value = texts[i][1];
      r[i].footprint = texts[i][2];
    }
    return r;
  };
  const auto later = [&] {
    std::vector<KicadResolved> r = first();
    const char* const references[4] = {"R101", "U101", "#PWR101", "R102"};
    for (size_t i = 0; i < 4; ++i) r[i].reference = references[i];
    return r;
  };
  struct Case {
    const char* what;
    std::function<void(std::vector<KicadResolved>& first, std::vector<KicadResolved>& later)> change;
  };
  const Case cases[] = {
      {"references only", [](auto&, auto&) {}},
      {"another value", [](auto&, auto& l) { l[0].value = "22k"; }},
      {"another footprint", [](auto&, auto& l) { l[3].footprint = "R_0805"; }},
      {"empty texts", [](auto&, auto& l) { l[3] = KicadResolved(); }},
      {"another unit", [](auto&, auto& l) { l[1].unit = 2; }},
      {"another unit in the first", [](auto& f, auto&) { f[1].unit = 2; }},
      {"flags", [](auto&, auto& l) {
         l[0].attributes.dnp = true;
         l[2].attributes.inBom = false;
         l[3].attributes.onBoard = false;
         l[3].attributes.excludeFromSim = true;
       }},
      {"a ground net", [](auto&, auto& l) { l[2].value = "GND"; }},
      {"a variant here", [](auto&, auto& l) { l[0].destinationProperties = {{"Value@V1", "1k"}}; }},
      {"a variant in the first", [](auto& f, auto&) { f[3].destinationProperties = {{"dnp@V1", "YES"}}; }},
      {"an expanded field", [&](auto&, auto& l) { l[0].expanded = &expanded; }},
      {"an expanded field in the first", [&](auto& f, auto&) { f[0].expanded = &expanded; }},
      {"the library symbol given", [&](auto& f, auto& l) {
         for (size_t i = 0; i < 4; ++i) {
           f[i].lib = l[i].lib = drawnSymbol(*file, file->symbols()[i].libId, "");
           f[i].libFound = l[i].libFound = true;
         }
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<KicadResolved> one = first();
    std::vector<KicadResolved> two = later();
    c.change(one, two);
    KicadSheetModel model;
    auto sheet = buildKicadSheet(*file, "t.kicad_sch", one, "/amp1/", nullptr, &model);
    auto made = buildKicadInstance(model, *file, two, "/amp2/");
    // The later instance keeps the texts of the first it uses.
    sheet.reset();
    model = KicadSheetModel();
    EXPECT_EQ(dump(*made), dump(*buildKicadSheet(*file, "t.kicad_sch", two, "/amp2/", nullptr)));
  }
}

// A derived symbol without units of its own draws the one it extends, found
// in its own library first.
TEST_F(KicadSheetTest, DrawnSymbolFollowsExtends) {
  read("");
  const KicadLibSymbol* drawn = drawnSymbol(*file, "Device:R_Small", "");
  ASSERT_NE(drawn, nullptr);
  EXPECT_EQ(drawn->name, "Device:R");
  EXPECT_EQ(drawnSymbol(*file, "Device:Missing", ""), nullptr);
  EXPECT_EQ(drawnSymbol(*file, "Missing:R", "power:GND")->name, "power:GND");
}

}  // namespace
}  // namespace comptab
