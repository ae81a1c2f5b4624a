// The run loop: one table per output item, each collected, sorted, folded
// where the modes ask, and written.
#include "app/app.h"
#include "extract/group_rows.h"
#include "extract/package_gates.h"
#include "output/table_writer.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"
#include "platform/support/output_stream.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"
#include "table/record_table.h"
#include "table/sort_order.h"

namespace comptab {

namespace {
constexpr const char* kStandardOutput = "standard output";
}  // namespace

// The items of the run: null stands for the one table of a design listed
// without destinations (or of the component-destination listing).
std::vector<const std::string*> App::outputItems() const {
  std::vector<const std::string*> items;
  if (RunMode & mode::kCompDest) {
    items.push_back(nullptr);
  } else if (!destinations.empty()) {
    for (const std::string& d : destinations) items.push_back(&d);
  } else if (!dataSpecDestinations.empty()) {
    for (const std::string& d : dataSpecDestinations) items.push_back(&d);
  } else {
    items.push_back(nullptr);
  }
  return items;
}

DisplayNameHook App::displayNameHook() const {
  if (!propSpecFile) return {};
  const PropSpecFile* names = propSpecFile.get();
  return [names](std::string_view property) { return names->displayString(PropSpecFile::kComponent, property); };
}

void App::reportOutputFailure(const std::string& systemReason) {
  const std::string name = outputPath.value_or(kStandardOutput);
  reportError(outputPath ? ReportKind::OutputFile : ReportKind::StandardOutput, name, 1, msg::kOutputOpen);
  // The second message says only whether the file exists; the system's
  // reason tells a full disk from a folder that cannot be written.
  if (!systemReason.empty()) writeNote(name + ": " + systemReason);
}

// The columns, the sort keys, and what grouping counts by.
std::vector<NameId> App::propertiesReadAfterPackaging() const {
  std::vector<NameId> names;
  for (const std::string& name : settings->formatProperty) names.push_back(internName(name));
  for (const std::string& name : settings->sortKey) names.push_back(internName(name));
  names.push_back(internName("reference"));
  names.push_back(internName("partName"));
  if (!packageProperty.empty()) names.push_back(internName(packageProperty));
  if (!packageProperty.empty())
    for (const std::string& name : settings->packageAlso) names.push_back(internName(name));
  return names;
}

// What every table of the run shares, settled once before the first.
struct App::RunPlan {
  std::vector<const std::string*> items;
  // What is read of a row after the walk: without packaging rows keep
  // only that from the start; with it, from the grouping on, where every
  // value kept is split and sorted.
  std::vector<NameId> readLater;
  bool packaging = false;
  // Without packaging or grouping, a row made without variants is the same
  // in every table, so after the first table only the rows made for a
  // destination are dropped and made again; the sort's tie order (the
  // walk's) keeps the table as a fresh walk would make it.
  bool keepRows = false;
};

App::RunPlan App::planRun() const {
  RunPlan plan;
  plan.items = outputItems();
  plan.readLater = propertiesReadAfterPackaging();
  plan.packaging = (RunMode & (mode::kPackage | mode::kPnPackage)) != 0;
  plan.keepRows = plan.items.size() > 1 && !plan.packaging && !(RunMode & mode::kCompDest) && packageProperty.empty();
  return plan;
}

int App::collectTable(const RunPlan& plan, size_t i, RecordTable& table) {
  if (plan.keepRows && i > 0)
    table.removeIf([](const ComponentRecord& row) { return row.perDestination; });
  else
    table.setCount(0);
  TablePass pass{.table = table,
                 .destinationName = plan.items[i],
                 .keepOpen = i + 1 < plan.items.size(),
                 .variantRowsOnly = plan.keepRows && i > 0,
                 .keptProperties = plan.packaging ? nullptr : &plan.readLater};
  const int walked = (RunMode & mode::kCircuit) ? walkCircuit(pass) : walkSheets(pass);
  if (walked == 0) return 0;
  sortTableByKeys(table, settings->sortKey);
  if (plan.packaging) packageGates(*this, table, i == 0 ? 1 : 0);
  if (plan.packaging && ((RunMode & mode::kPnPackage) || !packageProperty.empty()))
    for (int r = 0; r < table.count(); ++r) table.at(r).keepOnly(plan.readLater);
  if (RunMode & mode::kPnPackage) partNameRows(*this, table);
  if (!packageProperty.empty()) referenceCountRows(*this, table, packageProperty, settings->packageAlso);
  return 1;
}

int App::writeTable(const TableWriter& writer, const std::string* item, bool append, const RecordTable& table) {
  OutputStream out;
  std::string reason;
  if (outputPath) {
    if (!out.open(*outputPath, append, &reason)) {
      reportOutputFailure(reason);
      return 0;
    }
  } else {
    out = OutputStream::standardOutput();
  }
  if (!settings->beginString.empty()) {
    out.write(settings->beginString);
    out.write(eol);
  }
  if (!(RunMode & mode::kCompDest)) {
    out.write(settings->destHeadString);
    out.write(item != nullptr ? *item : kBoardDestination);
    out.write(eol);
  }
  if (!(RunMode & mode::kNoHeader)) writer.writeHeader(out);
  for (int r = 0; r < table.count(); ++r) writer.writeRow(out, table[r]);
  if (!settings->endString.empty()) {
    out.write(settings->endString);
    out.write(eol);
  }
  // A full disk or a closed pipe must not pass for a written table.
  if (!out.close(&reason)) {
    reportOutputFailure(reason);
    return 0;
  }
  return 1;
}

int App::run() {
  if (openDesign() == 0) return finalStatus();
  const RunPlan plan = planRun();
  const TableWriter writer(*settings, RunMode, eol, displayNameHook());
  RecordTable table;
  for (size_t i = 0; i < plan.items.size(); ++i) {
    if (collectTable(plan, i, table) == 0 || writeTable(writer, plan.items[i], i > 0, table) == 0) {
      table.clearRows();
      return finalStatus();
    }
    if (!plan.keepRows) table.clearRows();
  }
  if ((RunMode & mode::kExecute) && !executeProgram.empty() && execute() == 0) return finalStatus();
  if (warningWritten() && exitState == 0) exitState = 2;
  return finalStatus();
}

}  // namespace comptab
