#include "platform/kicad/kicad_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <unordered_map>

#include "platform/kicad/kicad_schematic.h"
#include "platform/kicad/kicad_sheet.h"
#include "platform/kicad/sexpr.h"

namespace comptab {

namespace {

using Kind = KicadShape::Kind;
using Layer = KicadShape::Layer;

// KiCad's defaults where a file leaves a size out.
constexpr double kJunctionDiameter = 0.9144;
constexpr double kNoConnectHalf = 0.6096;
constexpr double kTextSize = 1.27;
constexpr double kPi = 3.14159265358979323846;

double number(SexprView list, size_t i, double otherwise = 0) {
  const std::string_view text = list.textAt(i);
  double value = otherwise;
  if (text.empty()) return otherwise;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) ? value : otherwise;
}

// The points of a (pts (xy x y) ...) list.
std::vector<double> pointsOf(SexprView pts) {
  std::vector<double> points;
  for (const SexprView xy : pts) {
    if (!xy.isList() || xy.head() != "xy") continue;
    points.push_back(number(xy, 1));
    points.push_back(number(xy, 2));
  }
  return points;
}

bool hasAtom(SexprView list, std::string_view word) {
  for (const SexprView item : list)
    if (!item.isList() && item.text() == word) return true;
  return false;
}

// (hide yes) from KiCad 8 on, a bare hide before.
bool hidden(SexprView list) {
  const SexprView effects = list.find("effects");
  for (const SexprView where : {list, effects}) {
    if (!where.isValid()) continue;
    if (hasAtom(where, "hide")) return true;
    const SexprView hide = where.find("hide");
    if (hide.isValid() && hide.textAt(1) != "no") return true;
  }
  return false;
}

struct TextLook {
  double size = kTextSize;
  int8_t horizontal = 0;
  int8_t vertical = 0;
};

TextLook lookOf(SexprView list) {
  TextLook look;
  const SexprView effects = list.find("effects");
  const SexprView size = effects.find("font").find("size");
  if (size.isValid()) look.size = number(size, 1, kTextSize);
  const SexprView justify = effects.find("justify");
  if (hasAtom(justify, "left")) look.horizontal = -1;
  if (hasAtom(justify, "right")) look.horizontal = 1;
  if (hasAtom(justify, "top")) look.vertical = -1;
  if (hasAtom(justify, "bottom")) look.vertical = 1;
  return look;
}

// Text reads left to right or bottom to top, whatever the angle.
double readableAngle(double degrees) {
  const long quarter = std::lround(degrees / 90.0);
  return (quarter % 2 != 0) ? 90 : 0;
}

// Maps a point of a library symbol (y up) onto the page: the placed
// symbol's rotation (anticlockwise on the page) and then its mirror.
struct Placing {
  double x = 0, y = 0;
  double a = 1, b = 0, c = 0, d = 1;  // the page offset of a y-down offset

  Placing(double atX, double atY, double angle, std::string_view mirror) : x(atX), y(atY) {
    const long quarter = ((std::lround(angle / 90.0) % 4) + 4) % 4;
    const int cosines[] = {1, 0, -1, 0};
    const int sines[] = {0, 1, 0, -1};
    const double cs = cosines[quarter], sn = sines[quarter];
    a = cs, b = sn, c = -sn, d = cs;
    if (mirror == "x") c = -c, d = -d;
    if (mirror == "y") a = -a, b = -b;
  }
  // A y-down offset from the symbol's origin.
  void offset(double ox, double oy, double& px, double& py) const {
    px = a * ox + b * oy;
    py = c * ox + d * oy;
  }
  void mapLibrary(double lx, double ly, double& px, double& py) const {
    offset(lx, -ly, px, py);
    px += x;
    py += y;
  }
  bool swapsAxes() const { return a == 0; }
};

class Drawer {
 public:
  explicit Drawer(const KicadSchematic& file) : file_(file) {}
  KicadDrawing draw();

 private:
  void page(SexprView item, std::string_view head);
  void text(std::vector<KicadShape>& out, Layer layer, SexprView item, std::string_view text, double x, double y,
            double angle);
  void symbol(SexprView item, uint32_t index);
  void libraryGraphics(SexprView lib, const Placing& placing, int unit, int style, KicadDrawnSymbol& out);
  void graphic(SexprView item, Layer layer, std::vector<KicadShape>& out, const Placing* placing);
  void field(SexprView property, const Placing& placing, KicadDrawnSymbol& out);
  void sheetBlock(SexprView item, uint32_t index);
  SexprView librarySymbol(std::string_view name) const;

  const KicadSchematic& file_;
  KicadDrawing drawing_;
  std::unordered_map<std::string_view, SexprView> library_;
};

SexprView Drawer::librarySymbol(std::string_view name) const {
  const auto found = library_.find(name);
  return found != library_.end() ? found->second : SexprView();
}

void Drawer::text(std::vector<KicadShape>& out, Layer layer, SexprView item, std::string_view value, double x,
                  double y, double angle) {
  if (value.empty() || hidden(item)) return;
  const TextLook look = lookOf(item);
  KicadShape& shape = out.emplace_back();
  shape.kind = Kind::Text;
  shape.layer = layer;
  shape.points = {x, y};
  shape.size = look.size;
  shape.angle = readableAngle(angle);
  shape.horizontal = look.horizontal;
  shape.vertical = look.vertical;
  // Labels turned past the vertical read from their other end.
  const long quarter = ((std::lround(angle / 90.0) % 4) + 4) % 4;
  if (quarter >= 2) shape.horizontal = static_cast<int8_t>(-shape.horizontal);
  shape.text = value;
}

void Drawer::graphic(SexprView item, Layer layer, std::vector<KicadShape>& out, const Placing* placing) {
  const std::string_view head = item.head();
  KicadShape shape;
  shape.layer = layer;
  const SexprView fill = item.find("fill").find("type");
  shape.filled = fill.isValid() && fill.textAt(1) != "none";
  if (head == "polyline" || head == "bezier" || head == "wire" || head == "bus") {
    shape.kind = Kind::Polyline;
    shape.points = pointsOf(item.find("pts"));
  } else if (head == "rectangle") {
    shape.kind = Kind::Rectangle;
    const SexprView start = item.find("start"), end = item.find("end");
    shape.points = {number(start, 1), number(start, 2), number(end, 1), number(end, 2)};
  } else if (head == "circle") {
    shape.kind = Kind::Circle;
    const SexprView center = item.find("center");
    shape.points = {number(center, 1), number(center, 2), number(item.find("radius"), 1)};
  } else if (head == "arc") {
    shape.kind = Kind::Arc;
    const SexprView start = item.find("start"), mid = item.find("mid"), end = item.find("end");
    if (!mid.isValid()) return;  // the older form with a radius list: too rare to draw
    shape.points = {number(start, 1), number(start, 2), number(mid, 1), number(mid, 2), number(end, 1), number(end, 2)};
  } else {
    return;
  }
  if (shape.points.size() < 2) return;
  if (placing != nullptr) {
    const size_t pairs = shape.kind == Kind::Circle ? 1 : shape.points.size() / 2;
    for (size_t i = 0; i < pairs; ++i)
      placing->mapLibrary(shape.points[2 * i], shape.points[2 * i + 1], shape.points[2 * i], shape.points[2 * i + 1]);
  }
  out.push_back(std::move(shape));
}

void Drawer::field(SexprView property, const Placing& placing, KicadDrawnSymbol& out) {
  const std::string_view name = property.textAt(1);
  const std::string_view value = property.textAt(2);
  if (hidden(property)) return;
  if (value.empty() && name != "Reference") return;
  const SexprView at = property.find("at");
  const double x = number(at, 1), y = number(at, 2), angle = number(at, 3);
  const TextLook look = lookOf(property);
  // The field's own angle turns with the symbol; its justification is in
  // the symbol's frame, so a mirror or a turn moves the text to the other
  // side of its anchor.
  const bool upright = readableAngle(angle) != 0;
  double alongX = 0, alongY = 0, acrossX = 0, acrossY = 0;
  placing.offset(upright ? 0 : 1, upright ? -1 : 0, alongX, alongY);
  placing.offset(upright ? 1 : 0, upright ? 0 : 1, acrossX, acrossY);
  const bool shownUpright = upright != placing.swapsAxes();
  // The directions text runs and falls in as shown.
  const double runX = shownUpright ? 0 : 1, runY = shownUpright ? -1 : 0;
  const double fallX = shownUpright ? 1 : 0, fallY = shownUpright ? 0 : 1;
  const double along = alongX * runX + alongY * runY;
  const double across = acrossX * fallX + acrossY * fallY;
  KicadShape& shape = out.shapes.emplace_back();
  shape.kind = Kind::Text;
  shape.layer = Layer::Field;
  shape.points = {x, y};
  shape.size = look.size;
  shape.angle = shownUpright ? 90 : 0;
  shape.horizontal = static_cast<int8_t>(look.horizontal * (along < 0 ? -1 : 1));
  shape.vertical = static_cast<int8_t>(look.vertical * (across < 0 ? -1 : 1));
  shape.text = value;
  if (name == "Reference") out.reference = static_cast<int>(out.shapes.size() - 1);
}

void Drawer::libraryGraphics(SexprView lib, const Placing& placing, int unit, int style, KicadDrawnSymbol& out) {
  for (const SexprView part : lib) {
    if (!part.isList() || part.head() != "symbol") continue;
    // "NAME_U_S": unit and body style from the right; 0 is common to all.
    const std::string_view name = part.textAt(1);
    const size_t last = name.rfind('_');
    const size_t before = last == std::string_view::npos || last == 0 ? last : name.rfind('_', last - 1);
    if (before == std::string_view::npos) continue;
    const int partUnit = std::atoi(std::string(name.substr(before + 1, last - before - 1)).c_str());
    const int partStyle = std::atoi(std::string(name.substr(last + 1)).c_str());
    if ((partUnit != 0 && partUnit != unit) || (partStyle != 0 && partStyle != style)) continue;
    for (const SexprView item : part) {
      if (!item.isList()) continue;
      if (item.head() == "pin") {
        if (hidden(item)) continue;
        const SexprView at = item.find("at");
        const double x = number(at, 1), y = number(at, 2);
        const double radians = number(at, 3) * kPi / 180.0;
        const double length = number(item.find("length"), 1, 2.54);
        KicadShape& pin = out.shapes.emplace_back();
        pin.layer = Layer::Pin;
        pin.points = {x, y, x + length * std::round(std::cos(radians)), y + length * std::round(std::sin(radians))};
        placing.mapLibrary(pin.points[0], pin.points[1], pin.points[0], pin.points[1]);
        placing.mapLibrary(pin.points[2], pin.points[3], pin.points[2], pin.points[3]);
      } else if (item.head() == "text") {
        const SexprView at = item.find("at");
        double x = 0, y = 0;
        placing.mapLibrary(number(at, 1), number(at, 2), x, y);
        // Library text angles are in tenths of a degree.
        text(out.shapes, Layer::Body, item, item.textAt(1), x, y,
             number(at, 3) / 10.0 + (placing.swapsAxes() ? 90 : 0));
      } else {
        graphic(item, Layer::Body, out.shapes, &placing);
      }
    }
  }
}

void Drawer::symbol(SexprView item, uint32_t index) {
  const KicadSymbol& placed = file_.symbols()[index];
  const SexprView mirror = item.find("mirror");
  const Placing placing(placed.x, placed.y, placed.angle, mirror.textAt(1));
  KicadDrawnSymbol& out = drawing_.symbols.emplace_back();
  out.symbol = index;
  SexprView lib = librarySymbol(placed.libName.empty() ? placed.libId : placed.libName);
  // A derived symbol draws with its parent's graphics.
  for (int step = 0; lib.isValid() && lib.find("extends").isValid() && step < 8; ++step) {
    const std::string_view parent = lib.find("extends").textAt(1);
    const std::string_view id = placed.libId;
    const size_t colon = id.find(':');
    SexprView base = colon != std::string_view::npos ? librarySymbol(std::string(id.substr(0, colon + 1)) + std::string(parent))
                                                     : SexprView();
    if (!base.isValid()) base = librarySymbol(parent);
    if (!base.isValid()) break;
    lib = base;
  }
  if (lib.isValid()) libraryGraphics(lib, placing, placed.unit, placed.style, out);
  const KicadLibSymbol* units = drawnSymbol(file_, placed.libId, placed.libName);
  if (units != nullptr) out.unitCount = units->unitCount;
  // The box holds the body and the pins; fields come after it.
  double box[4] = {placed.x, placed.y, placed.x, placed.y};
  for (const KicadShape& shape : out.shapes) {
    const size_t pairs = shape.kind == Kind::Circle ? 1 : shape.points.size() / 2;
    const double grow = shape.kind == Kind::Circle ? shape.points[2] : 0;
    for (size_t i = 0; i < pairs; ++i) {
      box[0] = std::min(box[0], shape.points[2 * i] - grow);
      box[1] = std::min(box[1], shape.points[2 * i + 1] - grow);
      box[2] = std::max(box[2], shape.points[2 * i] + grow);
      box[3] = std::max(box[3], shape.points[2 * i + 1] + grow);
    }
  }
  std::copy(box, box + 4, out.box);
  for (const SexprView property : item)
    if (property.isList() && property.head() == "property") field(property, placing, out);
}

void Drawer::sheetBlock(SexprView item, uint32_t index) {
  const SexprView at = item.find("at"), size = item.find("size");
  const double x = number(at, 1), y = number(at, 2);
  KicadDrawnBlock& block = drawing_.blocks.emplace_back();
  block.sheet = index;
  block.box[0] = x, block.box[1] = y, block.box[2] = x + number(size, 1), block.box[3] = y + number(size, 2);
  KicadShape& frame = drawing_.shapes.emplace_back();
  frame.kind = Kind::Rectangle;
  frame.layer = Layer::SheetBlock;
  frame.points = {block.box[0], block.box[1], block.box[2], block.box[3]};
  for (const SexprView part : item) {
    if (!part.isList()) continue;
    const SexprView where = part.find("at");
    if (part.head() == "property") {
      const std::string_view name = part.textAt(1);
      std::string_view shown = part.textAt(2);
      // The file name reads "File: name" in KiCad; the value alone is enough here.
      if (name != "Sheetname" && name != "Sheet name" && name != "Sheetfile" && name != "Sheet file") continue;
      text(drawing_.shapes, Layer::SheetBlock, part, shown, number(where, 1), number(where, 2), number(where, 3));
    } else if (part.head() == "pin") {
      text(drawing_.shapes, Layer::Label, part, part.textAt(1), number(where, 1), number(where, 2), number(where, 3));
    }
  }
}

void Drawer::page(SexprView item, std::string_view head) {
  std::vector<KicadShape>& out = drawing_.shapes;
  const SexprView at = item.find("at");
  const double x = number(at, 1), y = number(at, 2);
  if (head == "wire" || head == "bus") {
    graphic(item, head == "bus" ? Layer::Bus : Layer::Wire, out, nullptr);
  } else if (head == "polyline" || head == "rectangle" || head == "circle" || head == "arc") {
    graphic(item, Layer::Note, out, nullptr);
  } else if (head == "bus_entry") {
    const SexprView size = item.find("size");
    KicadShape& shape = out.emplace_back();
    shape.layer = Layer::Bus;
    shape.points = {x, y, x + number(size, 1), y + number(size, 2)};
  } else if (head == "junction") {
    const double diameter = number(item.find("diameter"), 1, 0);
    KicadShape& shape = out.emplace_back();
    shape.kind = Kind::Circle;
    shape.layer = Layer::Junction;
    shape.filled = true;
    shape.points = {x, y, (diameter > 0 ? diameter : kJunctionDiameter) / 2};
  } else if (head == "no_connect") {
    for (const double turn : {1.0, -1.0}) {
      KicadShape& shape = out.emplace_back();
      shape.layer = Layer::NoConnect;
      shape.points = {x - kNoConnectHalf, y - turn * kNoConnectHalf, x + kNoConnectHalf, y + turn * kNoConnectHalf};
    }
  } else if (head == "label" || head == "global_label" || head == "hierarchical_label") {
    text(out, Layer::Label, item, item.textAt(1), x, y, number(at, 3));
  } else if (head == "text") {
    text(out, Layer::Note, item, item.textAt(1), x, y, number(at, 3));
  }
}

KicadDrawing Drawer::draw() {
  const SexprView top = file_.document();
  const SexprView library = top.find("lib_symbols");
  for (const SexprView lib : library)
    if (lib.isList() && lib.head() == "symbol") library_.emplace(lib.textAt(1), lib);
  uint32_t symbols = 0, sheets = 0;
  for (const SexprView item : top) {
    if (!item.isList()) continue;
    const std::string_view head = item.head();
    if (head == "symbol") {
      if (symbols < file_.symbols().size()) symbol(item, symbols);
      ++symbols;
    } else if (head == "sheet") {
      if (sheets < file_.sheets().size()) sheetBlock(item, sheets);
      ++sheets;
    } else {
      page(item, head);
    }
  }
  return std::move(drawing_);
}

}  // namespace

KicadDrawing drawKicadSchematic(const KicadSchematic& file) { return Drawer(file).draw(); }

std::string kicadUnitLetters(int unit) {
  std::string letters;
  for (int n = unit; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  return letters;
}

}  // namespace comptab
