#include "extract/extract_component.h"

#include <bitset>

#include "design/hierarchy.h"
#include "design/kcdb_cache.h"
#include "design/placement.h"
#include "design/run_data.h"
#include "design/run_options.h"
#include "design/table_pass.h"
#include "extract/accept_row.h"
#include "extract/gate_data.h"
#include "extract/row_names.h"
#include "extract/split_reference.h"
#include "platform/circuit/instance_db.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/sheet/comp_type.h"
#include "platform/sheet/variants.h"
#include "platform/sheet/zone_grid.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "table/component_record.h"
#include "table/name_census.h"

namespace comptab {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

// The properties a pass asks for, and the ones the extraction reads back
// itself (isvGate for the flag, reference for its split); every property
// when the pass does not say. A row's property names are matched against
// the few asked for by their texts: cheaper than looking each one up.
class Wanted {
 public:
  explicit Wanted(const std::vector<NameId>* asked) : all_(asked == nullptr) {
    if (all_) return;
    add(rowNames().isvGate);
    add(rowNames().reference);
    for (const NameId name : *asked) add(name);
  }
  bool operator()(NameId name) const {
    if (all_ || overflow_) return true;
    if (name < kMarked) return marked_[name];
    for (size_t i = 0; i < count_; ++i)
      if (ids_[i] == name) return true;
    return false;
  }
  // The name's number when the row is to have the property.
  std::optional<NameId> find(std::string_view name) const {
    if (all_ || overflow_) return internName(name);
    // Most names of a row are not asked for, and their length tells.
    if (name.size() >= 64 || ((sizes_ >> name.size()) & 1u) == 0) return std::nullopt;
    // Names this short are compared here, a byte at a time: cheaper than a
    // call to compare, and a row's other names of an asked length
    // ("Footprint" and "reference") mostly differ in their first byte.
    for (size_t i = 0; i < count_; ++i) {
      const std::string_view text = texts_[i];
      if (text.size() != name.size()) continue;
      size_t k = 0;
      while (k < name.size() && text[k] == name[k]) ++k;
      if (k == name.size()) return ids_[i];
    }
    return std::nullopt;
  }

 private:
  static constexpr size_t kMost = 24;
  // A name asked for twice takes two places: cheaper than looking.
  void add(NameId name) {
    if (count_ == kMost) {
      // Too many to match one by one: every property is kept, and the row
      // is trimmed to the asked ones afterwards as before.
      overflow_ = true;
      return;
    }
    ids_[count_] = name;
    if (name < kMarked) marked_[name] = true;
    const std::string_view text = nameText(name);
    texts_[count_++] = text;
    sizes_ |= text.size() < 64 ? uint64_t{1} << text.size() : 0;
  }

  // The run's first names, extraction's own among them, are told apart by
  // a mark each: a row asks some twenty of them.
  static constexpr NameId kMarked = 256;

  bool all_;
  bool overflow_ = false;
  std::bitset<kMarked> marked_;
  size_t count_ = 0;
  uint64_t sizes_ = 0;  // bit n: a name of n bytes is asked for
  NameId ids_[kMost] = {};
  std::string_view texts_[kMost];
};

// The Wanted of the names asked for, made again only when they change:
// every row of a table asks for the same names, and making it looks up
// their texts. (The run is single-threaded.)
const Wanted& wantedFor(const std::vector<NameId>* asked) {
  static std::optional<std::vector<NameId>> lastAsked;
  static Wanted last(nullptr);
  const bool same = asked == nullptr ? !lastAsked : lastAsked && *lastAsked == *asked;
  if (!same) {
    last = Wanted(asked);
    if (asked == nullptr)
      lastAsked.reset();
    else
      lastAsked = *asked;
  }
  return last;
}

// The component's own properties. Seen through a variant, each base
// property takes its value for the destination, and the destinations' own
// properties ("value@PRO") stand for nothing more; without one they are
// left out, as they are not properties of the board itself.
void copyProperties(const VariantSysSpec* sysSpec, const ComponentRef& component, ComponentRecord& row,
                    const VariantComponent* variant, const Destination* dest, bool toBoard, const Wanted& wanted,
                    NameCensus* census) {
  const bool variantPath = variant != nullptr && (toBoard || dest != nullptr);
  const char separator = sysSpec != nullptr ? sysSpec->separator() : '\0';
  std::string value;
  size_t place = 0;
  for (const PropertyRef property : component.properties()) {
    if (!property.isValid()) continue;
    const std::string_view name = property.name();
    if (census != nullptr) census->add(place++, name);
    if (variantPath) {
      const size_t cut = sysSpec != nullptr ? name.find(separator) : std::string_view::npos;
      const std::string_view base = name.substr(0, cut);
      // Every name this path sets is a base name, so a base already in the
      // row has been handled.
      const std::optional<NameId> id = wanted.find(base);
      if (!id || row.hasProperty(base)) continue;
      unsigned flag = 0;
      value.clear();
      variant->getProperty(base, value, flag, dest);
      row.setProperty(*id, value);
    } else if (const std::optional<NameId> id = wanted.find(name)) {
      // The separator is looked for only in the names asked for, which
      // are few.
      if (sysSpec == nullptr || name.find(separator) == std::string_view::npos) row.setProperty(*id, property.value());
    }
  }
}

void setNumber(ComponentRecord& row, NameId name, long long number) { row.setProperty(name, decimalText(number)); }

// The component's identifiers: in a circuit its level, its path from the
// top, and its sheet's id and number; for a single sheet file, the file's
// name stands for the sheet number.
void setPlacementIds(const Placement& where, const ComponentRef& component, ComponentRecord& row,
                     const Wanted& wanted) {
  const RowNames& n = rowNames();
  const SheetTexts& texts = *where.texts;
  if (!texts.inCircuit) {
    if (wanted(n.id)) row.setProperty(n.id, "cmp" + decimalText(component.number()));
    if (wanted(n.sheetNumber)) row.setProperty(n.sheetNumber, texts.sheetNumber);
    return;
  }
  if (wanted(n.level)) row.setProperty(n.level, texts.level);
  if (wanted(n.hierarchicalId))
    row.setProperty(n.hierarchicalId, texts.hierarchicalIdPrefix + decimalText(component.number()));
  if (wanted(n.id)) row.setProperty(n.id, texts.idPrefix + decimalText(component.number()));
  if (wanted(n.sheetId)) row.setProperty(n.sheetId, texts.sheetId);
  if (wanted(n.sheetNumber)) row.setProperty(n.sheetNumber, texts.sheetNumber);
}

// Where the component stands: nowhere for a net list, which knows no
// positions ("0.000" would claim one).
void setGeometry(const DataResource* resource, const Placement& where, const ComponentRef& component,
                 ComponentRecord& row, const Wanted& wanted) {
  const RowNames& n = rowNames();
  const bool placed = where.sheet.isPlaced();
  const Point position = placed ? component.position() : Point();
  if (wanted(n.positionX)) row.setProperty(n.positionX, placed ? fixedText(resource->decode(position.x), 3) : "");
  if (wanted(n.positionY)) row.setProperty(n.positionY, placed ? fixedText(resource->decode(position.y), 3) : "");
  if (wanted(n.zone)) {
    if (placed) {
      const ZoneGrid grid{where.zone.offset(), where.zone.pitch(), where.zone.origin(),
                          where.zone.charX(),  where.zone.charY(), where.zone.rowFirst()};
      row.setProperty(n.zone, zoneLabel(grid, position, where.sheet.region()));
    } else {
      row.setProperty(n.zone, "");
    }
  }
  if (wanted(n.angle)) row.setProperty(n.angle, fixedText(component.angle() * kDegreesPerRadian, 2));
  if (wanted(n.scale)) row.setProperty(n.scale, fixedText(component.scale(), 2));
}

}  // namespace

int extractComponent(const RunOptions& options, RunData& data, Reporter& reporter, const Placement& where,
                     const ComponentRef& component, TablePass& pass, const VariantComponent* variant,
                     const Destination* dest, const std::string* destinationName) {
  const RowNames& n = rowNames();
  const Wanted& wanted = wantedFor(pass.extractedNames);
  ComponentRecord& row = pass.scratchRow;
  row.restart();
  const bool toBoard = destinationName != nullptr && *destinationName == kBoardDestination;
  if (toBoard) dest = nullptr;
  copyProperties(data.variantSysSpec.get(), component, row, variant, dest, toBoard, wanted, pass.census);
  row.flags.virtualGate = equalsNoCase(row.value(n.isvGate).value_or(""), "YES") ? 1 : 0;

  setPlacementIds(where, component, row, wanted);

  row.perDestination = variant != nullptr;
  if (variant != nullptr && wanted(n.toBoard)) row.setProperty(n.toBoard, variant->toBoard().value());
  if (wanted(n.bitCount)) setNumber(row, n.bitCount, component.bitCount());
  const uint16_t kind = component.kindCode();
  const CompKind* kindRecord = data.compKindTable ? data.compKindTable->compKind(kind) : nullptr;
  if (wanted(n.componentKind)) {
    if (kindRecord != nullptr)
      row.setProperty(n.componentKind, kindRecord->name);
    else
      setNumber(row, n.componentKind, kind);
  }
  const uint16_t type = component.typeCode();
  if (wanted(n.componentType)) row.setProperty(n.componentType, CompType::name(type));
  row.flags.gate = CompType::isGate(type) ? 1 : 0;
  row.flags.parts = CompType::isParts(type) ? 1 : 0;
  row.flags.powerBox = CompType::isPowerBox(type) ? 1 : 0;
  if (wanted(n.symbolName)) row.setProperty(n.symbolName, component.symbolName());
  if (wanted(n.pathNumber)) setNumber(row, n.pathNumber, component.pathNumber());
  if (variant != nullptr && destinationName != nullptr && wanted(n.destination))
    row.setProperty(n.destination, *destinationName);

  if (const auto reference = row.value(n.reference);
      reference && !reference->empty() && (wanted(n.referenceHeader) || wanted(n.referenceNumber))) {
    std::string header;
    std::string number;
    splitReference(data.compKindTable.get(), kind, CompType::isBlock(type), *reference, header, number);
    if (wanted(n.referenceHeader)) row.setProperty(n.referenceHeader, header);
    if (wanted(n.referenceNumber)) row.setProperty(n.referenceNumber, number);
  }

  setGeometry(data.dataResource.get(), where, component, row, wanted);
  if (wanted(n.color)) setNumber(row, n.color, component.color());
  if (wanted(n.mirror)) row.setProperty(n.mirror, component.isMirrored() ? "ON" : "OFF");
  if (wanted(n.dispContents)) row.setProperty(n.dispContents, component.displaysContents() ? "ON" : "OFF");
  if (data.kcdbCache) addGateData(*data.kcdbCache, component, row, wanted(n.gateCount));
  return acceptRow(options, data.patterns, reporter, pass, row);
}

}  // namespace comptab
