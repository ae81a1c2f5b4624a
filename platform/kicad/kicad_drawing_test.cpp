// The drawing of a schematic: a library symbol placed in each orientation
// KiCad writes (the expected corners agree with KiCad's own SVG export of
// the demos, where every body line of every symbol lies on one of KiCad's),
// fields whose justification turns with a mirror, hidden fields and pins,
// units, and the items of the page.
#include "platform/kicad/kicad_drawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kicad/kicad_schematic.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

// An L of two segments, so that a turn and a mirror give different points;
// a pin pointing right; a rectangle on unit 2 only.
const char* const kLibrary = R"((lib_symbols
    (symbol "T:L" (property "Reference" "L" (at 0 0 0))
      (symbol "L_0_1" (polyline (pts (xy 0 0) (xy 2 0) (xy 2 1))))
      (symbol "L_1_1" (pin passive line (at -3 0 0) (length 3) (name "~") (number "1"))
                      (pin passive line (at 5 0 180) (length 3) (hide yes) (name "~") (number "2")))
      (symbol "L_2_1" (rectangle (start 0 0) (end 1 1))))))";

std::unique_ptr<KicadSchematic> readText(const ScratchDir& dir, const std::string& body) {
  std::string why;
  auto file = KicadSchematic::read(
      dir.file("x.kicad_sch", "(kicad_sch (version 20231120) (uuid a0) (paper \"A4\")" + std::string(kLibrary) + body + ")"),
      &why);
  EXPECT_TRUE(file) << why;
  return file;
}

std::string placed(const std::string& at, const std::string& extra = "") {
  return "(symbol (lib_id \"T:L\") (at " + at + ") " + extra + " (unit 1) (uuid u)"
         " (property \"Reference\" \"L1\" (at 100 45 0) (effects (font (size 1.27 1.27)) (justify left)))"
         " (property \"Value\" \"v\" (at 100 55 0) (effects (font (size 1.27 1.27)) (hide yes)))"
         " (property \"Footprint\" \"\" (at 100 55 0)))";
}

TEST(KicadDrawing, SymbolsTurnAnticlockwiseThenMirror) {
  // The L's corner (2, 1) in the library (y up) on the page, for a symbol
  // at (100, 50).
  const struct {
    std::string at, mirror;
    double x, y;
  } cases[] = {
      {"100 50 0", "", 102, 49},          {"100 50 90", "", 99, 48},
      {"100 50 180", "", 98, 51},         {"100 50 270", "", 101, 52},
      {"100 50 0", "(mirror x)", 102, 51}, {"100 50 0", "(mirror y)", 98, 49},
      {"100 50 90", "(mirror x)", 99, 52}, {"100 50 90", "(mirror y)", 101, 48},
  };
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  for (const auto& c : cases) {
    const auto file = readText(dir, placed(c.at, c.mirror));
    ASSERT_TRUE(file);
    const KicadDrawing drawing = drawKicadSchematic(*file);
    ASSERT_EQ(drawing.symbols.size(), 1u);
    const std::vector<KicadShape>& shapes = drawing.symbols[0].shapes;
    ASSERT_GE(shapes.size(), 2u) << c.at << c.mirror;
    const std::vector<double>& l = shapes[0].points;
    ASSERT_EQ(l.size(), 6u);
    EXPECT_NEAR(l[4], c.x, 1e-9) << c.at << " " << c.mirror;
    EXPECT_NEAR(l[5], c.y, 1e-9) << c.at << " " << c.mirror;
  }
}

TEST(KicadDrawing, PinsFieldsAndUnits) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const auto file = readText(dir, placed("100 50 0", "(mirror y)"));
  ASSERT_TRUE(file);
  const KicadDrawing drawing = drawKicadSchematic(*file);
  ASSERT_EQ(drawing.symbols.size(), 1u);
  const KicadDrawnSymbol& symbol = drawing.symbols[0];
  // The L, one pin (the other is hidden), no rectangle (unit 2), and the
  // reference only: the value is hidden and the footprint empty.
  ASSERT_EQ(symbol.shapes.size(), 3u);
  EXPECT_EQ(symbol.shapes[1].layer, KicadShape::Layer::Pin);
  EXPECT_EQ(symbol.shapes[1].points, (std::vector<double>{103, 50, 100, 50}));
  ASSERT_EQ(symbol.reference, 2);
  const KicadShape& reference = symbol.shapes[2];
  EXPECT_EQ(reference.text, "L1");
  EXPECT_EQ(reference.points, (std::vector<double>{100, 45}));
  // Left-justified in the symbol's frame; mirrored, the text runs left.
  EXPECT_EQ(reference.horizontal, 1);
  EXPECT_EQ(symbol.unitCount, 2);
  EXPECT_EQ(symbol.box[0], 98);
  EXPECT_EQ(symbol.box[2], 103);
}

TEST(KicadDrawing, PageItems) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const auto file = readText(dir,
                             "(wire (pts (xy 10 10) (xy 20 10)))"
                             "(bus (pts (xy 10 20) (xy 20 20)))"
                             "(junction (at 15 10) (diameter 0))"
                             "(no_connect (at 30 30))"
                             "(label \"CLK\" (at 20 10 180) (effects (font (size 1.27 1.27)) (justify left bottom)))"
                             "(text \"note\" (at 5 5 0) (effects (font (size 2 2)) (hide yes)))"
                             "(sheet (at 50 50) (size 20 10) (uuid s1)"
                             " (property \"Sheetname\" \"amp\" (at 50 49 0)) (property \"Sheetfile\" \"amp.kicad_sch\" (at 50 61 0)))");
  ASSERT_TRUE(file);
  const KicadDrawing drawing = drawKicadSchematic(*file);
  std::vector<KicadShape::Layer> layers;
  for (const KicadShape& shape : drawing.shapes) layers.push_back(shape.layer);
  using L = KicadShape::Layer;
  EXPECT_EQ(layers, (std::vector<L>{L::Wire, L::Bus, L::Junction, L::NoConnect, L::NoConnect, L::Label, L::SheetBlock,
                                    L::SheetBlock, L::SheetBlock}));
  EXPECT_NEAR(drawing.shapes[2].points[2], 0.4572, 1e-9);  // KiCad's junction when the file gives 0
  EXPECT_EQ(drawing.shapes[5].horizontal, 1);              // a label turned round reads from its other end
  ASSERT_EQ(drawing.blocks.size(), 1u);
  EXPECT_EQ(drawing.blocks[0].box[2], 70);
  EXPECT_EQ(drawing.blocks[0].box[3], 60);
}

TEST(KicadDrawing, UnitLetters) {
  const std::pair<int, std::string> cases[] = {{1, "A"}, {2, "B"}, {26, "Z"}, {27, "AA"}, {28, "AB"}, {52, "AZ"}, {53, "BA"}};
  for (const auto& [unit, letters] : cases) EXPECT_EQ(kicadUnitLetters(unit), letters) << unit;
}

}  // namespace
}  // namespace comptab
