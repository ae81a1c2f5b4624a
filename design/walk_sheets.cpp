// Walking a sheet file: every component of the sheet, in stored order, to
// the extraction, with the exclusion and destination rules every walk shares.
#include <algorithm>
#include <memory>

#include "design/placement.h"
#include "design/run.h"
#include "platform/kicad/kicad_file_kinds.h"
#include "platform/kicadxml/kicad_xml.h"
#include "platform/sheet/comp_type.h"
#include "platform/sheet/variants.h"
#include "platform/sheet/zone_grid.h"
#include "platform/support/path.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"

namespace comptab {

int Run::openSheet(const std::string& path, DesignDb& db, SheetRef& sheet, ZoneRef& zone, bool shared) {
  std::string reason;
  db = isKicadXmlFile(path)
           ? openKicadXml(path, &reason)
           : DesignDb::open(data_.dataResource.get(), path, 2, &reason, shared ? &caches_.sheets : nullptr);
  if (!db.isValid()) {
    reporter_.reportError(ReportKind::InputFile, path, 1, msg::kSheetOpen);
    // A KiCad board or an old schematic is no broken sheet: say what it is.
    const std::string hint = unsupportedKicadFileHint(path);
    reporter_.writeNote(hint.empty() ? reason : hint);
    return 0;
  }
  sheet = SheetRef(db.lookup(DesignDb::kSheetType, "Sheet"));
  zone = ZoneRef(db.lookup(DesignDb::kZoneType, "Zone"));
  // A design without positions has no zones to name, so needs no grid.
  if (!sheet.isValid() || (!zone.isValid() && sheet.isPlaced())) {
    db.close(1);
    reporter_.reportError(ReportKind::General, "", 1, msg::kSheetIncomplete);
    // A circuit has many sheets: say which one.
    reporter_.writeNote(path + ": the sheet has no zone grid; add one such as \"zone\": { \"pitch\": [500, 500] }");
    return 0;
  }
  normalizeZoneOffset(sheet, zone);
  return 1;
}

int Run::walkSheets(TablePass& pass) {
  // Nothing the walk does changes a sheet file listed alone, so it is read
  // once and stays open while another table is to come.
  DesignDb& db = caches_.designSheet;
  if (!db.isValid() && openSheet(options_.designFile, db, caches_.designSheetRef, caches_.designZone, false) == 0)
    return 0;
  const SheetRef sheet = caches_.designSheetRef;
  const ZoneRef zone = caches_.designZone;
  SheetTexts texts;
  const std::string base = baseName(options_.designFile);
  texts.sheetNumber = base.substr(0, base.size() - pathSuffix(base).size());
  const Placement where{sheet, zone, &texts};
  for (const ComponentRef component : sheet.components()) {
    if (!component.isValid()) continue;
    if (listComponent(where, component, pass) == 0) {
      db.close(1);
      return 0;
    }
  }
  if (!pass.keepOpen) db.close(1);
  return 1;
}

int Run::listComponent(const Placement& where, const ComponentRef& component, TablePass& pass) {
  const Settings& settings = options_.settings;
  if (pass.passesOverNext()) {
    ++pass.walkSequence;
    return 1;
  }
  ++pass.walkSequence;
  if (!settings.excludeType.empty()) {
    const std::string type = CompType::name(component.typeCode());
    for (const std::string& excluded : settings.excludeType)
      if (excluded == type) return 1;
  }
  if (!data_.variantSysSpec || !data_.variantDataSpec)
    return pass.variantRowsOnly ? 1 : extractComponent(where, component, pass, nullptr, nullptr, nullptr);

  std::unique_ptr<VariantComponent>& scratch = caches_.variantScratch;
  if (!scratch) scratch = std::make_unique<VariantComponent>(*data_.variantSysSpec, *data_.variantDataSpec);
  VariantComponent& variant = *scratch;
  const bool hasVariants = variant.anyDestination(component);
  if (pass.variantComponents != nullptr && !pass.variantRowsOnly) {
    std::vector<bool>& marks = *pass.variantComponents;
    if (marks.size() <= pass.walkSequence) marks.resize(std::max<size_t>(pass.walkSequence + 1, marks.size() * 2));
    marks[pass.walkSequence] = hasVariants;
  }
  if (!hasVariants)
    return pass.variantRowsOnly ? 1 : extractComponent(where, component, pass, nullptr, nullptr, nullptr);
  variant.assign(component);

  // With compdest every destination gets its row in the one table; else
  // only the destination of the table being made.
  std::vector<const std::string*> names;
  if (options_.runMode & mode::kCompDest) {
    const auto& all = options_.destinations.empty() ? options_.dataSpecDestinations : options_.destinations;
    for (const std::string& name : all) names.push_back(&name);
  } else {
    names.push_back(pass.destinationName);
  }
  for (const std::string* name : names) {
    const Destination* dest = name != nullptr ? data_.variantDataSpec->lookup(*name) : nullptr;
    if (dest == nullptr && (name == nullptr || *name != kBoardDestination)) {
      reporter_.reportError(ReportKind::General,
                            name != nullptr ? std::optional<std::string_view>(*name) : std::nullopt, 1,
                            msg::kUnknownDestination);
      return 0;
    }
    if (extractComponent(where, component, pass, &variant, dest, name) == 0) return 0;
  }
  return 1;
}

}  // namespace comptab
