#include "platform/kicad/kicad_sheet.h"

#include <algorithm>
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

// True when `text` holds `word` in any case.
bool holdsNoCase(std::string_view text, std::string_view word) {
  for (size_t at = 0; at + word.size() <= text.size(); ++at)
    if (equalsNoCase(text.substr(at, word.size()), word)) return true;
  return false;
}

// A power symbol whose net is a ground: GND, AGND, GNDPWR, Earth...
bool isGroundNet(std::string_view net) { return holdsNoCase(net, "GND") || holdsNoCase(net, "EARTH"); }

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
  if (lib != nullptr && lib->power) return isGroundNet(here.value) ? CompType::Ground : CompType::Power;
  if (lib != nullptr && lib->pins.empty()) return CompType::Mechanical;
  if (here.reference.starts_with('#')) return isGroundNet(here.value) ? CompType::Ground : CompType::Power;
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
  // The place of the property in the block; -1 when the name was there.
  int32_t add(std::string_view name, std::string_view value) {
    const std::string_view stored = sheet_.texts.addName(name);
    // Names are interned: equal names are the same bytes.
    if (block_.count <= kSmall) {
      for (uint32_t i = block_.first; i < block_.first + block_.count; ++i)
        if (sheet_.properties[i].name().data() == stored.data()) return -1;
    } else {
      if (seen_.empty())
        for (uint32_t i = block_.first; i < block_.first + block_.count; ++i) seen_.insert(sheet_.properties[i].name().data());
      if (!seen_.insert(stored.data()).second) return -1;
    }
    sheet_.properties.push_back({stored, sheet_.texts.add(value)});
    return static_cast<int32_t>(block_.count++);
  }

 private:
  static constexpr uint32_t kSmall = 16;
  SheetData& sheet_;
  Block& block_;
  std::unordered_set<const char*> seen_;
};

// Room for every text a symbol stores: the instance's values and the
// file's fields, once each (pin numbers are shared names).
size_t symbolTextBytes(const KicadSymbol& symbol, const KicadResolved& here) {
  size_t bytes = here.reference.size() + here.value.size() + here.footprint.size() + 2 * symbol.libId.size() +
                 2 * symbol.libName.size() + 96;
  for (const KicadField& field : symbol.fields) bytes += field.name.size() + field.value.size();
  if (here.expanded != nullptr)
    for (const KicadNamedValue& field : *here.expanded) bytes += field.value.size();
  for (const KicadNamedValue& property : here.destinationProperties)
    bytes += property.name.size() + property.value.size();
  return bytes;
}

// Room for every text the sheet stores.
size_t textBytes(const KicadSchematic& file, const std::vector<KicadResolved>& resolved, const std::string& sheetPath) {
  size_t bytes = sheetPath.size() + 64;
  const std::vector<KicadSymbol>& symbols = file.symbols();
  for (size_t i = 0; i < symbols.size(); ++i) bytes += symbolTextBytes(symbols[i], resolved[i]);
  for (const KicadSheetBlock& block : file.sheets()) {
    bytes += block.name.size() + block.file.size() + 32;
    for (const KicadField& field : block.userFields) bytes += field.name.size() + field.value.size();
  }
  return bytes;
}

// Whether the unit placed has `pin`, in the drawn symbol's style.
bool placedPin(const KicadLibPin& pin, const KicadSymbol& symbol, const KicadResolved& here) {
  return (pin.unit == 0 || pin.unit == here.unit) && (pin.style == 0 || pin.style == symbol.style);
}

// Room for every property and pin the sheet stores (a name given twice
// is stored once: at most this many): grown by doubling, the properties
// would hold twice their size, and a copy more while they move.
void reserveEntries(SheetData& sheet, const KicadSchematic& file, const std::vector<KicadResolved>& resolved) {
  // The reference, partName, cdbName, componentName, sheetPath and the
  // four flags, less the Reference field, which the reference replaces.
  constexpr size_t kAdded = 8;
  size_t properties = 0;
  size_t pins = 0;
  const std::vector<KicadSymbol>& symbols = file.symbols();
  for (size_t i = 0; i < symbols.size(); ++i) {
    const KicadResolved& here = resolved[i];
    properties += symbols[i].fields.size() + kAdded + here.destinationProperties.size();
    if (!here.libFound || here.lib == nullptr) continue;
    const size_t perPin = here.lib->unitCount > 1 ? 2 : 1;
    for (const KicadLibPin& pin : here.lib->pins) {
      if (!placedPin(pin, symbols[i], here)) continue;
      ++pins;
      properties += perPin;
    }
  }
  for (const KicadSheetBlock& block : file.sheets()) properties += 3 + block.userFields.size();
  sheet.properties.reserve(properties);
  sheet.pins.reserve(pins);
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
// comptab adds, the flags and what each variant changes. `slots` learns
// where the instance's own values went.
void addSymbolProperties(SheetData& sheet, ComponentData& component, const KicadSymbol& symbol,
                         const KicadResolved& here, std::string_view storedPath, KicadSheetModel::Component& slots) {
  using Slot = KicadSheetModel::Slot;
  PropertyWriter properties(sheet, component.properties);
  const auto add = [&](Slot slot, std::string_view name, std::string_view value) {
    if (const int32_t at = properties.add(name, value); at >= 0) slots.at[slot] = at;
  };
  add(Slot::Reference, "reference", here.reference);
  for (const KicadField& field : symbol.fields) {
    if (field.name == "Reference") continue;
    if (field.name == "Value")
      add(Slot::Value, field.name, here.value);
    else if (field.name == "Footprint")
      add(Slot::Footprint, field.name, here.footprint);
    else
      properties.add(field.name, fieldText(here, field));
  }
  add(Slot::PartName, "partName", here.value);
  properties.add("cdbName", symbol.libId);
  properties.add("componentName", componentNameOf(symbol.libId));
  add(Slot::SheetPath, "sheetPath", storedPath);
  add(Slot::InBom, "in_bom", flagText(here.attributes.inBom));
  add(Slot::OnBoard, "on_board", flagText(here.attributes.onBoard));
  add(Slot::Dnp, "dnp", flagText(here.attributes.dnp));
  add(Slot::ExcludeFromSim, "exclude_from_sim", flagText(here.attributes.excludeFromSim));
  for (const KicadNamedValue& property : here.destinationProperties) properties.add(property.name, property.value);
  slots.unit = here.unit;
  slots.value = here.value;
  slots.footprint = here.footprint;
  slots.plain = here.expanded == nullptr && here.destinationProperties.empty();
}

// The pins of the unit placed, in the drawn symbol's style.
void addSymbolPins(SheetData& sheet, ComponentData& component, const KicadSymbol& symbol, const KicadResolved& here,
                   const KicadLibSymbol& lib) {
  component.pins.first = static_cast<uint32_t>(sheet.pins.size());
  for (const KicadLibPin& pin : lib.pins) {
    if (!placedPin(pin, symbol, here)) continue;
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
               std::string_view storedPath, KcdbMemory* library, KicadSheetModel::Component& slots) {
  const KicadLibSymbol* lib = here.libFound ? here.lib : drawnSymbol(file, symbol.libId, symbol.libName);
  slots.lib = lib;
  if (lib != nullptr && library != nullptr) addKicadComponent(*library, symbol.libId, componentNameOf(symbol.libId), *lib);
  ComponentData& component = sheet.components.emplace_back();
  component.number = symbol.order;
  component.typeWord = typeOf(lib, here);
  component.attributes = symbol.mirror ? ComponentRef::kMirror : 0u;
  component.position = {toUnits(symbol.x), toUnits(symbol.y)};
  component.angle = symbol.angle * kRadiansPerDegree;
  component.symbolName = sheet.texts.add(symbol.libName.empty() ? symbol.libId : symbol.libName);
  addSymbolProperties(sheet, component, symbol, here, storedPath, slots);
  if (lib != nullptr) addSymbolPins(sheet, component, symbol, here, *lib);
}

// A sheet block as a block component, its name and file first.
void addBlock(SheetData& sheet, const KicadSheetBlock& block, std::string_view storedPath,
              KicadSheetModel::Component& slots) {
  ComponentData& component = sheet.components.emplace_back();
  component.number = block.order;
  component.typeWord = CompType::Block;
  component.position = {toUnits(block.x), toUnits(block.y)};
  PropertyWriter properties(sheet, component.properties);
  properties.add("Sheetname", block.name);
  properties.add("Sheetfile", block.file);
  for (const KicadField& field : block.userFields) properties.add(field.name, field.value);
  if (const int32_t at = properties.add("sheetPath", storedPath); at >= 0) slots.at[KicadSheetModel::SheetPath] = at;
  slots.block = true;
}

void indexByNumber(SheetData& sheet) {
  sheet.byNumber.reserve(sheet.components.size());
  for (size_t i = 0; i < sheet.components.size(); ++i)
    sheet.byNumber.emplace_back(sheet.components[i].number, static_cast<uint32_t>(i));
}

}  // namespace

std::shared_ptr<SheetData> buildKicadSheet(const KicadSchematic& file, const std::string& path,
                                           const std::vector<KicadResolved>& resolved, const std::string& sheetPath,
                                           KcdbMemory* library, KicadSheetModel* model) {
  auto sheet = std::make_shared<SheetData>();
  sheet->fileName = path;
  addPaperAndZones(*sheet, file);
  sheet->texts.reserve(textBytes(file, resolved, sheetPath));
  const std::vector<KicadSymbol>& symbols = file.symbols();
  const std::vector<KicadSheetBlock>& blocks = file.sheets();
  sheet->components.reserve(symbols.size() + blocks.size());
  reserveEntries(*sheet, file, resolved);
  const std::string_view storedPath = sheet->texts.add(sheetPath);
  // What a model learns of each component; without one, nothing is kept.
  std::vector<KicadSheetModel::Component> slots(model != nullptr ? symbols.size() + blocks.size() : 0);
  KicadSheetModel::Component unkept;
  // Symbols and blocks in the file's order.
  size_t s = 0;
  size_t b = 0;
  while (s < symbols.size() || b < blocks.size()) {
    KicadSheetModel::Component& here = model != nullptr ? slots[sheet->components.size()] : unkept;
    if (b >= blocks.size() || (s < symbols.size() && symbols[s].order < blocks[b].order)) {
      addSymbol(*sheet, file, symbols[s], resolved[s], storedPath, library, here);
      ++s;
    } else {
      addBlock(*sheet, blocks[b++], storedPath, here);
    }
  }
  indexByNumber(*sheet);
  if (model != nullptr) {
    model->sheet = sheet;
    model->components = std::move(slots);
  }
  return sheet;
}

namespace {

// A symbol the model's component serves: the same unit (so the same
// pins), and texts that are the file's or the instance's own values in
// both instances.
bool servedByModel(const KicadSheetModel::Component& model, const KicadResolved& here) {
  return model.plain && here.unit == model.unit && here.expanded == nullptr && here.destinationProperties.empty();
}

// The model's component `index` appended to `sheet` with its properties
// and pins, which follow one another in the model's arrays.
ComponentData& copyComponent(SheetData& sheet, const SheetData& model, size_t index) {
  const ComponentData& from = model.components[index];
  ComponentData& to = sheet.components.emplace_back(from);
  const uint32_t begin = from.properties.first;
  uint32_t end = begin + from.properties.count;
  if (from.pins.count > 0) {
    const Block last = model.pins[from.pins.first + from.pins.count - 1].properties;
    end = last.first + last.count;
  }
  to.properties.first = static_cast<uint32_t>(sheet.properties.size());
  sheet.properties.insert(sheet.properties.end(), model.properties.begin() + begin, model.properties.begin() + end);
  to.pins.first = static_cast<uint32_t>(sheet.pins.size());
  for (uint32_t p = from.pins.first; p < from.pins.first + from.pins.count; ++p) {
    PinData& pin = sheet.pins.emplace_back(model.pins[p]);
    pin.properties.first = pin.properties.first - begin + to.properties.first;
  }
  return to;
}

// Puts an instance's own values in the places the model learned.
void putInstanceValues(SheetData& sheet, ComponentData& component, const KicadSheetModel::Component& slots,
                       const KicadResolved& here, std::string_view storedPath) {
  using Slot = KicadSheetModel::Slot;
  PropertyData* const properties = sheet.properties.data() + component.properties.first;
  const auto put = [&](Slot slot, std::string_view value) {
    if (const int32_t at = slots.at[slot]; at >= 0) properties[at] = {properties[at].name(), value};
  };
  // The model's text where it reads the same: the same bytes of the file
  // tell without comparing them.
  const auto reuse = [&](Slot slot, std::string_view text, std::string_view modelText) {
    const std::string_view inPlace = properties[slots.at[slot]].value();
    const bool same = (text.data() == modelText.data() && text.size() == modelText.size()) || inPlace == text;
    return same ? inPlace : sheet.texts.add(text);
  };
  put(Slot::Reference, sheet.texts.add(here.reference));
  // partName is the value too: one text serves both.
  if (const Slot slot = slots.at[Slot::Value] >= 0 ? Slot::Value : Slot::PartName; slots.at[slot] >= 0) {
    const std::string_view value = reuse(slot, here.value, slots.value);
    put(Slot::Value, value);
    put(Slot::PartName, value);
  }
  if (slots.at[Slot::Footprint] >= 0) put(Slot::Footprint, reuse(Slot::Footprint, here.footprint, slots.footprint));
  put(Slot::SheetPath, storedPath);
  put(Slot::InBom, flagText(here.attributes.inBom));
  put(Slot::OnBoard, flagText(here.attributes.onBoard));
  put(Slot::Dnp, flagText(here.attributes.dnp));
  put(Slot::ExcludeFromSim, flagText(here.attributes.excludeFromSim));
  component.typeWord = typeOf(slots.lib, here);
}

}  // namespace

std::shared_ptr<SheetData> buildKicadInstance(const KicadSheetModel& model, const KicadSchematic& file,
                                              const std::vector<KicadResolved>& resolved, const std::string& sheetPath) {
  const SheetData& first = *model.sheet;
  const std::vector<KicadSymbol>& symbols = file.symbols();
  auto sheet = std::make_shared<SheetData>();
  sheet->fileName = first.fileName;
  sheet->region = first.region;
  sheet->placed = first.placed;
  sheet->hasZone = first.hasZone;
  sheet->zone = first.zone;
  sheet->base = model.sheet;
  // The model's components and blocks come in the file's order, as here.
  std::vector<bool> served(symbols.size());
  size_t bytes = sheetPath.size() + 64;
  for (size_t c = 0, s = 0; c < model.components.size(); ++c) {
    const KicadSheetModel::Component& slots = model.components[c];
    if (slots.block) continue;
    served[s] = servedByModel(slots, resolved[s]);
    const KicadResolved& here = resolved[s];
    bytes += served[s] ? here.reference.size() + here.value.size() + here.footprint.size()
                       : symbolTextBytes(symbols[s], here);
    ++s;
  }
  sheet->texts.reserve(bytes);
  const std::string_view storedPath = sheet->texts.add(sheetPath);
  // Nearly always every component is the model's: its arrays are copied
  // whole, every entry staying where it was.
  const bool allServed = std::find(served.begin(), served.end(), false) == served.end();
  if (allServed) {
    sheet->components = first.components;
    sheet->pins = first.pins;
    sheet->properties = first.properties;
  } else {
    sheet->components.reserve(first.components.size());
    sheet->pins.reserve(first.pins.size());
    sheet->properties.reserve(first.properties.size());
  }
  KicadSheetModel::Component unused;
  for (size_t c = 0, s = 0; c < model.components.size(); ++c) {
    const KicadSheetModel::Component& slots = model.components[c];
    if (slots.block) {
      ComponentData& block = allServed ? sheet->components[c] : copyComponent(*sheet, first, c);
      if (const int32_t at = slots.at[KicadSheetModel::SheetPath]; at >= 0) {
        PropertyData& property = sheet->properties[block.properties.first + static_cast<uint32_t>(at)];
        property = {property.name(), storedPath};
      }
      continue;
    }
    if (allServed)
      putInstanceValues(*sheet, sheet->components[c], slots, resolved[s], storedPath);
    else if (served[s])
      putInstanceValues(*sheet, copyComponent(*sheet, first, c), slots, resolved[s], storedPath);
    else
      addSymbol(*sheet, file, symbols[s], resolved[s], storedPath, nullptr, unused);
    ++s;
  }
  sheet->byNumber = first.byNumber;
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
