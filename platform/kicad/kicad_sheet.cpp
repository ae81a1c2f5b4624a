#include "platform/kicad/kicad_sheet.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_set>
#include <utility>

#include "platform/kcdb/kcdb_memory.h"
#include "platform/kicad/kicad_schematic.h"
#include "platform/sheet/comp_type.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_data.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// Design units are micrometres, so the suite's data resource (1000 units
// to the user unit) shows millimetres, KiCad's own unit.
constexpr double kUnitsPerMm = 1000;
constexpr double kRadiansPerDegree = 0.017453292519943295;
// KiCad's default drawing sheet: a 10 mm border, then 50 mm zones,
// columns numbered from 1 and rows lettered from A.
constexpr int32_t kZoneBorder = 10000;
constexpr int32_t kZonePitch = 50000;

int32_t toUnits(double mm) {
  const double units = std::round(mm * kUnitsPerMm);
  if (!(units > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (units > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(units);
}

std::string_view flagText(bool flag) { return flag ? "YES" : "NO"; }

// A field's text, or the expanded one where it holds a text variable.
std::string_view fieldText(const KicadResolved& here, const KicadField& field) {
  if (here.expanded == nullptr || field.value.find("${") == std::string_view::npos) return field.value;
  for (const KicadNamedValue& expanded : *here.expanded)
    if (expanded.name == field.name) return expanded.value;
  return field.value;
}

// A power symbol whose net is a ground: GND, AGND, GNDPWR, Earth...
bool isGroundNet(std::string_view net) {
  const std::string upper = upperAscii(net);
  return upper.find("GND") != std::string::npos || upper.find("EARTH") != std::string::npos;
}

// A lib_name copy is KiCad's own copy of the library symbol (made when the
// embedded symbol and the library's differ): the same component of the
// same device, whatever name the copy has.
std::string_view componentNameOf(std::string_view libId) {
  const size_t colon = libId.find(':');
  return colon == std::string_view::npos ? libId : libId.substr(colon + 1);
}

// KiCad never puts a symbol whose reference starts with '#' on the board;
// files converted from KiCad 5 mark supply symbols only that way.
uint16_t typeOf(const KicadLibSymbol* lib, const KicadResolved& here) {
  const bool ground = isGroundNet(here.value);
  if (lib != nullptr && lib->power) return ground ? CompType::Ground : CompType::Power;
  if (lib != nullptr && lib->pins.empty()) return CompType::Mechanical;
  if (here.reference.starts_with('#')) return ground ? CompType::Ground : CompType::Power;
  if (lib == nullptr) return CompType::Parts;
  return lib->unitCount > 1 ? CompType::Gate : CompType::Parts;
}

// Builds one component's properties, each name once: the first of a name
// wins, so a user field cannot shadow what comptab sets before it.
class PropertyWriter {
 public:
  PropertyWriter(SheetData& sheet, Block& block) : sheet_(sheet), block_(block) {
    block_.first = static_cast<uint32_t>(sheet_.properties.size());
  }
  void add(std::string_view name, std::string_view value) {
    const std::string_view stored = sheet_.texts.addName(name);
    // Names are interned: equal names are the same bytes.
    if (block_.count <= kSmall) {
      for (uint32_t i = block_.first; i < block_.first + block_.count; ++i)
        if (sheet_.properties[i].name().data() == stored.data()) return;
    } else {
      if (seen_.empty())
        for (uint32_t i = block_.first; i < block_.first + block_.count; ++i) seen_.insert(sheet_.properties[i].name().data());
      if (!seen_.insert(stored.data()).second) return;
    }
    sheet_.properties.push_back({stored, sheet_.texts.add(value)});
    ++block_.count;
  }

 private:
  static constexpr uint32_t kSmall = 16;
  SheetData& sheet_;
  Block& block_;
  std::unordered_set<const char*> seen_;
};

// Room for every text the sheet stores: the instance's values and the
// file's fields, once each (pin numbers are shared names).
size_t textBytes(const KicadSchematic& file, const std::vector<KicadResolved>& resolved, const std::string& sheetPath) {
  size_t bytes = sheetPath.size() + 64;
  const std::vector<KicadSymbol>& symbols = file.symbols();
  for (size_t i = 0; i < symbols.size(); ++i) {
    const KicadSymbol& symbol = symbols[i];
    bytes += resolved[i].reference.size() + resolved[i].value.size() + resolved[i].footprint.size() +
             2 * symbol.libId.size() + 2 * symbol.libName.size() + 96;
    for (const KicadField& field : symbol.fields) bytes += field.name.size() + field.value.size();
    if (resolved[i].expanded != nullptr)
      for (const KicadNamedValue& field : *resolved[i].expanded) bytes += field.value.size();
    for (const KicadNamedValue& property : resolved[i].destinationProperties)
      bytes += property.name.size() + property.value.size();
  }
  for (const KicadSheetBlock& block : file.sheets()) {
    bytes += block.name.size() + block.file.size() + 32;
    for (const KicadField& field : block.userFields) bytes += field.name.size() + field.value.size();
  }
  return bytes;
}

}  // namespace

const KicadLibSymbol* drawnSymbol(const KicadSchematic& file, std::string_view libId, std::string_view libName) {
  const KicadLibSymbol* lib = file.libSymbol(libName.empty() ? libId : libName);
  // Follows a short chain of derived symbols; a loop gives up.
  for (int step = 0; lib != nullptr && lib->pins.empty() && !lib->extends.empty() && step < 8; ++step) {
    const std::string_view name = libName.empty() ? libId : libName;
    const size_t colon = name.find(':');
    const std::string parent =
        colon == std::string_view::npos ? std::string(lib->extends) : std::string(name.substr(0, colon + 1)) + std::string(lib->extends);
    const KicadLibSymbol* base = file.libSymbol(parent);
    if (base == nullptr) base = file.libSymbol(lib->extends);
    if (base == nullptr || base == lib) break;
    lib = base;
  }
  return lib;
}

namespace {

// KiCad's paper as the sheet's region, and its default drawing sheet's
// zones as the zone grid.
void addPaperAndZones(SheetData& sheet, const KicadSchematic& file) {
  sheet.region = {0, 0, toUnits(file.paperWidth()), toUnits(file.paperHeight())};
  sheet.hasZone = true;
  sheet.zone.offset = {kZoneBorder, kZoneBorder};
  sheet.zone.pitch = {kZonePitch, kZonePitch};
  sheet.zone.firstColumn = "1";
  sheet.zone.firstRow = "A";
  sheet.zone.rowFirst = true;
}

// The properties of a placed symbol: its reference, its fields in the
// file's order (with this instance's value and footprint), then what
// comptab adds, the flags and what each variant changes.
void addSymbolProperties(SheetData& sheet, ComponentData& component, const KicadSymbol& symbol,
                         const KicadResolved& here, std::string_view storedPath) {
  PropertyWriter properties(sheet, component.properties);
  properties.add("reference", here.reference);
  for (const KicadField& field : symbol.fields) {
    if (field.name == "Reference") continue;
    if (field.name == "Value")
      properties.add(field.name, here.value);
    else if (field.name == "Footprint")
      properties.add(field.name, here.footprint);
    else
      properties.add(field.name, fieldText(here, field));
  }
  properties.add("partName", here.value);
  properties.add("cdbName", symbol.libId);
  properties.add("componentName", componentNameOf(symbol.libId));
  properties.add("sheetPath", storedPath);
  properties.add("in_bom", flagText(here.attributes.inBom));
  properties.add("on_board", flagText(here.attributes.onBoard));
  properties.add("dnp", flagText(here.attributes.dnp));
  properties.add("exclude_from_sim", flagText(here.attributes.excludeFromSim));
  for (const KicadNamedValue& property : here.destinationProperties) properties.add(property.name, property.value);
}

// The pins of the unit placed, in the drawn symbol's style.
void addSymbolPins(SheetData& sheet, ComponentData& component, const KicadSymbol& symbol, const KicadResolved& here,
                   const KicadLibSymbol& lib) {
  component.pins.first = static_cast<uint32_t>(sheet.pins.size());
  for (const KicadLibPin& pin : lib.pins) {
    if (pin.unit != 0 && pin.unit != here.unit) continue;
    if (pin.style != 0 && pin.style != symbol.style) continue;
    PinData& data = sheet.pins.emplace_back();
    data.properties.first = static_cast<uint32_t>(sheet.properties.size());
    sheet.properties.push_back({sheet.texts.addName("pinNumber"), sheet.texts.addName(pin.number)});
    ++data.properties.count;
    // Pins drawn outside every unit serve them all.
    if (pin.unit == 0 && lib.unitCount > 1) {
      sheet.properties.push_back({sheet.texts.addName("isCommonTerminal"), "YES"});
      ++data.properties.count;
    }
    ++component.pins.count;
  }
}

// A placed symbol as a component; the library learns the part it draws.
void addSymbol(SheetData& sheet, const KicadSchematic& file, const KicadSymbol& symbol, const KicadResolved& here,
               std::string_view storedPath, KcdbMemory* library) {
  const KicadLibSymbol* lib = drawnSymbol(file, symbol.libId, symbol.libName);
  if (lib != nullptr && library != nullptr) addKicadComponent(*library, symbol.libId, componentNameOf(symbol.libId), *lib);
  ComponentData& component = sheet.components.emplace_back();
  component.number = symbol.order;
  component.typeWord = typeOf(lib, here);
  component.attributes = symbol.mirror ? ComponentRef::kMirror : 0u;
  component.position = {toUnits(symbol.x), toUnits(symbol.y)};
  component.angle = symbol.angle * kRadiansPerDegree;
  component.symbolName = sheet.texts.add(symbol.libName.empty() ? symbol.libId : symbol.libName);
  addSymbolProperties(sheet, component, symbol, here, storedPath);
  if (lib != nullptr) addSymbolPins(sheet, component, symbol, here, *lib);
}

// A sheet block as a block component, its name and file first.
void addBlock(SheetData& sheet, const KicadSheetBlock& block, std::string_view storedPath) {
  ComponentData& component = sheet.components.emplace_back();
  component.number = block.order;
  component.typeWord = CompType::Block;
  component.position = {toUnits(block.x), toUnits(block.y)};
  PropertyWriter properties(sheet, component.properties);
  properties.add("Sheetname", block.name);
  properties.add("Sheetfile", block.file);
  for (const KicadField& field : block.userFields) properties.add(field.name, field.value);
  properties.add("sheetPath", storedPath);
}

void indexByNumber(SheetData& sheet) {
  sheet.byNumber.reserve(sheet.components.size());
  for (size_t i = 0; i < sheet.components.size(); ++i)
    sheet.byNumber.emplace_back(sheet.components[i].number, static_cast<uint32_t>(i));
}

}  // namespace

std::shared_ptr<SheetData> buildKicadSheet(const KicadSchematic& file, const std::string& path,
                                           const std::vector<KicadResolved>& resolved, const std::string& sheetPath,
                                           KcdbMemory* library) {
  auto sheet = std::make_shared<SheetData>();
  sheet->fileName = path;
  addPaperAndZones(*sheet, file);
  sheet->texts.reserve(textBytes(file, resolved, sheetPath));
  const std::vector<KicadSymbol>& symbols = file.symbols();
  const std::vector<KicadSheetBlock>& blocks = file.sheets();
  sheet->components.reserve(symbols.size() + blocks.size());
  const std::string_view storedPath = sheet->texts.add(sheetPath);
  // Symbols and blocks in the file's order.
  size_t s = 0;
  size_t b = 0;
  while (s < symbols.size() || b < blocks.size()) {
    if (b >= blocks.size() || (s < symbols.size() && symbols[s].order < blocks[b].order)) {
      addSymbol(*sheet, file, symbols[s], resolved[s], storedPath, library);
      ++s;
    } else {
      addBlock(*sheet, blocks[b++], storedPath);
    }
  }
  indexByNumber(*sheet);
  return sheet;
}

void addKicadComponent(KcdbMemory& library, std::string_view libId, std::string_view componentName,
                       const KicadLibSymbol& lib) {
  // Most symbols repeat a part placed before: look before making keys.
  if (library.component(libId, componentName) != nullptr) return;
  KcdbComponent::GateMap gates;
  for (const KicadLibPin& pin : lib.pins) {
    if (pin.number.empty()) continue;
    // A pin of no unit is a common terminal of a part of several units,
    // and the one gate's pin of a part of one.
    const int gate = pin.unit > 0 ? pin.unit : (lib.unitCount == 1 ? 1 : 0);
    if (gate > 0) gates.emplace(std::string(pin.number), gate);
  }
  const uint16_t type = lib.unitCount > 1 ? CompType::Gate : CompType::Parts;
  library.add(libId, KcdbComponent(std::string(componentName), type, lib.unitCount, std::move(gates)));
}

}  // namespace comptab
