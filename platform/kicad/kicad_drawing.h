// What a KiCad schematic file shows, as shapes on the page in millimetres
// (y down): wires, buses, junctions, no-connect marks, labels, notes, sheet
// blocks, and each placed symbol drawn from its embedded library graphics
// with its visible fields, rotated and mirrored as placed. Read from the
// document the schematic already holds; the file is not read again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class KicadSchematic;

struct KicadShape {
  enum class Kind : uint8_t { Polyline, Rectangle, Circle, Arc, Text };
  // What the shape belongs to, for its colour and line width.
  enum class Layer : uint8_t { Wire, Bus, Junction, NoConnect, Label, Note, Body, Pin, Field, SheetBlock };
  Kind kind = Kind::Polyline;
  Layer layer = Layer::Note;
  bool filled = false;
  // Polyline: its points; Rectangle: two corners; Circle: the centre then
  // the radius; Arc: start, middle, end; Text: the anchor.
  std::vector<double> points;
  // Text only: height, angle on the page (0 or 90, read upwards), and
  // justification (-1 left or top, 0 centre, 1 right or bottom).
  double size = 0;
  double angle = 0;
  int8_t horizontal = 0;
  int8_t vertical = 0;
  std::string_view text;
};

struct KicadDrawnSymbol {
  uint32_t symbol = 0;  // index into the schematic's symbols()
  std::vector<KicadShape> shapes;
  // The shape of the Reference field among `shapes`, -1 when hidden: its
  // text is the instance's reference, not the file's.
  int reference = -1;
  double box[4] = {0, 0, 0, 0};  // left, top, right, bottom of the body and pins
  // The part's number of units: with more than one, the reference is
  // shown with the instance's unit letter (U3A).
  int unitCount = 1;
};

// KiCad's names of units: A to Z, then AA, AB and on.
std::string kicadUnitLetters(int unit);

struct KicadDrawnBlock {
  uint32_t sheet = 0;  // index into the schematic's sheets()
  double box[4] = {0, 0, 0, 0};
};

struct KicadDrawing {
  std::vector<KicadShape> shapes;  // everything that is not a symbol
  std::vector<KicadDrawnSymbol> symbols;
  std::vector<KicadDrawnBlock> blocks;
};

// The drawing of `file`. Lists it cannot make sense of are left out rather
// than refused: the listing has already checked what it needs.
KicadDrawing drawKicadSchematic(const KicadSchematic& file);

}  // namespace comptab
