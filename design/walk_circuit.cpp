// Walking a circuit through its instance database: the top-level sheets in
// sheet-number order and, depth first, the sheets inside their blocks, down
// to the hierarchy level. The database is built from the net list and saved
// on the first run over the circuit.
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "design/hierarchy.h"
#include "design/placement.h"
#include "design/run.h"
#include "platform/circuit/instance_db.h"
#include "platform/circuit/net_list.h"
#include "platform/sheet/comp_type.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "settings/message_codes.h"

namespace comptab {

namespace {

// The blocks on a sheet of this depth are walked into, rather than listed,
// when the level leaves room for one more level below it (-1: no limit).
bool descends(int hierarchyLevel, int depth) { return hierarchyLevel == -1 || hierarchyLevel > depth; }

std::string instanceFileOf(const std::string& designDir) {
  return DesignDataFile::fileName(designDir, DesignFileKind::InstanceDb, "");
}

std::unique_ptr<InstanceDb> openSaved(Reporter& reporter, const std::string& parentDir, const std::string& circuitName,
                                      const std::string& instanceFile) {
  std::string reason;
  auto db = InstanceDb::open(parentDir, circuitName, instanceFile, 1, &reason);
  if (!db) {
    reporter.reportError(ReportKind::InputFile, instanceFile, 1, msg::kInstanceDbOpen);
    reporter.writeNote(reason);
  }
  return db;
}

// Builds the database from the net list and saves it, while holding the
// lock that keeps two runs from building it at once.
std::unique_ptr<InstanceDb> buildAndSave(const std::string& designDir, Reporter& reporter, const std::string& parentDir,
                                         const std::string& circuitName, const std::string& instanceFile) {
  std::string reason;
  std::unique_ptr<NetList> netList = NetList::open(designDir, &reason);
  if (!netList) {
    const std::string netListFile = DesignDataFile::fileName(designDir, DesignFileKind::NetList, "netlist");
    reporter.reportError(ReportKind::InputFile, netListFile, 1, msg::kNoInstanceDbOrNetList);
    if (pathAccess(netListFile, Access::Exists)) reporter.writeNote(reason);
    return nullptr;
  }
  const InstanceLock lock = InstanceDb::checkLock(designDir, &reason);
  if (!lock.isHeld()) {
    NetList::close(netList, 0);
    // "Locked by another run" only when one is: a folder that cannot be
    // opened is a reason of its own.
    reporter.reportError(ReportKind::OutputFile, instanceFile, 1,
                         lock.busy() ? msg::kInstanceDbLocked : msg::kInstanceDbCreate);
    reporter.writeNote(reason);
    return nullptr;
  }
  // The run that held the lock may have saved the database meanwhile; a
  // saved one that is out of date is built again and replaced.
  if (pathAccess(instanceFile, Access::Exists)) {
    auto saved = openSaved(reporter, parentDir, circuitName, instanceFile);
    if (!saved || !saved->isStale()) {
      NetList::close(netList, 0);
      return saved;
    }
  }
  auto db = InstanceDb::create(parentDir, circuitName, instanceFile, *netList, &reason);
  if (!db || !db->save(&reason)) {
    NetList::close(netList, 0);
    reporter.reportError(ReportKind::OutputFile, instanceFile, 1, msg::kInstanceDbCreate);
    reporter.writeNote(reason);
    return nullptr;
  }
  InstanceDb::releaseNetList(netList);
  return db;
}

}  // namespace

int Run::walkCircuit(TablePass& pass) {
  const std::string instanceFile = instanceFileOf(options_.designDir);
  const std::string parentDir = directoryPart(options_.designDir);
  const std::string circuitName = baseName(options_.designDir);
  std::unique_ptr<CircuitHierarchy>& hierarchy = caches_.instanceDb;
  if (!hierarchy) {
    if (caches_.kicadProject) {
      hierarchy = kicadHierarchy();
    } else {
      std::unique_ptr<InstanceDb> instanceDb =
          pathAccess(instanceFile, Access::Exists)
              ? openSaved(reporter_, parentDir, circuitName, instanceFile)
              : buildAndSave(options_.designDir, reporter_, parentDir, circuitName, instanceFile);
      // A database built from files that have changed since lists old
      // components; with the net list at hand it is built again.
      const std::string netListFile = DesignDataFile::fileName(options_.designDir, DesignFileKind::NetList, "netlist");
      if (instanceDb && instanceDb->isStale() && pathAccess(netListFile, Access::Exists)) {
        instanceDb.reset();
        instanceDb = buildAndSave(options_.designDir, reporter_, parentDir, circuitName, instanceFile);
      }
      hierarchy = std::move(instanceDb);
    }
    if (!hierarchy) return 0;
  }
  const int walked = walkSheetList(hierarchy->topSheets(), pass);
  // A KiCad project hands its hierarchy over once: it stays for the run,
  // its loaded sheets let go one by one as the walk leaves them.
  if ((walked == 0 || !pass.keepOpen) && !caches_.kicadProject) hierarchy.reset();
  return walked;
}

int Run::walkSheetList(InstanceSequence<SheetInfo> sheets, TablePass& pass) {
  // Sheets of the same number keep their stored order.
  std::vector<SheetInfo*> order(sheets.begin(), sheets.end());
  std::stable_sort(order.begin(), order.end(),
                   [](const SheetInfo* a, const SheetInfo* b) { return a->sheetNumber() < b->sheetNumber(); });
  for (SheetInfo* info : order) {
    DesignDb db;
    SheetRef sheet;
    ZoneRef zone;
    if (openSheet(info->fileName(), db, sheet, zone) == 0) return 0;
    const int walked = info->parentBlock() == nullptr ? walkTopSheet(*info, sheet, zone, pass)
                                                      : walkNestedSheet(*info, sheet, zone, pass);
    db.close(1);
    if (walked == 0) return 0;
  }
  return 1;
}

int Run::walkTopSheet(const SheetInfo& sheetInfo, SheetRef sheet, ZoneRef zone, TablePass& pass) {
  const SheetTexts texts = circuitSheetTexts(sheetInfo, 0);
  const Placement where{sheet, zone, &texts};
  for (const ComponentRef component : sheet.components()) {
    if (!component.isValid()) continue;
    if (CompType::isBlock(component.typeCode()) && descends(options_.hierarchyLevel, 0)) {
      noteBlock(where, component);
      continue;
    }
    if (listComponent(where, component, pass) == 0) return 0;
  }
  return descendBlocks(sheetInfo, nullptr, pass);
}

int Run::walkNestedSheet(SheetInfo& sheetInfo, SheetRef sheet, ZoneRef zone, TablePass& pass) {
  std::string reason;
  const InstanceSheet* instanceSheet = sheetInfo.load(&reason);
  if (instanceSheet == nullptr) {
    // The database opened, so it was damaged after its first tables.
    reporter_.reportError(ReportKind::InputFile, instanceFileOf(options_.designDir), 1, msg::kInstanceDbOpen);
    reporter_.writeNote(reason);
    return 0;
  }
  const int depth = sheetDepth(instanceSheet);
  const SheetTexts texts = circuitSheetTexts(sheetInfo, depth);
  for (const InstanceComponent* instance : instanceSheet->components()) {
    if (instance == nullptr) continue;
    // A component the sheet file no longer has is passed over.
    const ComponentRef component = sheet.component(instance->number());
    if (!component.isValid()) continue;
    if (CompType::isBlock(component.typeCode()) && descends(options_.hierarchyLevel, depth)) {
      noteBlock(Placement{sheet, zone, &texts}, component);
      continue;
    }
    // This opening of the sheet is let go after the walk of it: a component
    // that makes no row needs none of the instance's values.
    if (!pass.passesOverNext()) instance->overwrite(component);
    const Placement where{sheet, zone, &texts};
    if (listComponent(where, component, pass) == 0) {
      sheetInfo.abort();
      return 0;
    }
  }
  const int descended = descendBlocks(sheetInfo, instanceSheet, pass);
  if (!pass.keepOpen) sheetInfo.abort();
  return descended;
}

int Run::descendBlocks(const SheetInfo& sheetInfo, const InstanceSheet* instanceSheet, TablePass& pass) {
  if (!descends(options_.hierarchyLevel, sheetDepth(instanceSheet))) return 1;
  for (const BlockInstance* block : sheetInfo.blocks())
    if (walkSheetList(block->childSheets(), pass) == 0) return 0;
  return 1;
}

}  // namespace comptab
