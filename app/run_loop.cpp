// The run loop: one table per output item, each collected, sorted, folded
// where the modes ask, and written.
#include "app/app.h"
#include "design/message_codes.h"
#include "extract/group_rows.h"
#include "extract/package_gates.h"
#include "output/table_writer.h"
#include "platform/rsc/prop_spec.h"
#include "platform/support/output_stream.h"
#include "settings/run_mode.h"
#include "table/record_table.h"
#include "table/sort_order.h"

namespace comptab {

namespace {
constexpr const char* kBoard = "_TOBOARD";
}

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

void App::reportOutputFailure(const OutputStream& out) {
  if (outputPath) {
    reportError(ReportKind::OutputFile, *outputPath, 1, msg::kOutputOpen);
  } else {
    writeError(msg::kOutputOpen, {"standard output"});
    exitState = 1;
  }
  // The second message says only whether the file exists; the system's
  // reason tells a full disk from a folder that cannot be written.
  if (!out.reason().empty()) writeNote((outputPath ? *outputPath : std::string("standard output")) + ": " + out.reason());
}

// The columns, the sort keys, and what grouping counts by.
std::vector<NameId> App::propertiesReadAfterPackaging() const {
  std::vector<NameId> names;
  for (const std::string& name : settings->formatProperty) names.push_back(internName(name));
  for (const std::string& name : settings->sortKey) names.push_back(internName(name));
  names.push_back(internName("reference"));
  names.push_back(internName("partName"));
  if (!packageProperty.empty()) names.push_back(internName(packageProperty));
  return names;
}

int App::run() {
  sortState().sortKeys = settings->sortKey;
  if (openDesign() == 0) return finalStatus();

  const std::vector<const std::string*> items = outputItems();
  const TableWriter writer(*settings, RunMode, eol, displayNameHook());
  // Without packaging, rows keep only what is read later from the start;
  // with it, from the grouping on, where every value kept is split and
  // sorted.
  const std::vector<NameId> readLater = propertiesReadAfterPackaging();
  const bool packaging = (RunMode & (mode::kPackage | mode::kPnPackage)) != 0;
  if (!packaging) keptProperties = readLater;
  RecordTable table;
  // Without packaging or grouping, a row made without variants is the same
  // in every table, so after the first table only the rows made for a
  // destination are dropped and made again; the sort's tie order (the
  // walk's) keeps the table as a fresh walk would make it.
  const bool keepRows = items.size() > 1 && !packaging && !(RunMode & mode::kCompDest) && packageProperty.empty();
  for (size_t i = 0; i < items.size(); ++i) {
    if (keepRows && i > 0)
      table.removeIf([](const ComponentRecord& row) { return row.perDestination; });
    else
      table.setCount(0);
    const std::string* item = items[i];
    keepInstances = i + 1 < items.size();
    variantRowsOnly = keepRows && i > 0;
    walkSequence = 0;
    const int walked = (RunMode & mode::kCircuit) ? walkCircuit(table, item) : walkSheets(table, item);
    if (walked == 0) {
      table.clearRows();
      return finalStatus();
    }
    sortTableByKeys(table);
    if (packaging) packageGates(*this, table, i == 0 ? 1 : 0);
    if (packaging && ((RunMode & mode::kPnPackage) || !packageProperty.empty()))
      for (int r = 0; r < table.count(); ++r) table.at(r).keepOnly(readLater);
    if (RunMode & mode::kPnPackage) partNameRows(*this, table);
    if (!packageProperty.empty()) referenceCountRows(*this, table, packageProperty);

    OutputStream out;
    if (outputPath) {
      if (!out.open(*outputPath, i > 0)) {
        table.clearRows();
        reportOutputFailure(out);
        return finalStatus();
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
      out.write(item != nullptr ? *item : kBoard);
      out.write(eol);
    }
    if (!(RunMode & mode::kNoHeader)) writer.writeHeader(out);
    for (int r = 0; r < table.count(); ++r) writer.writeRow(out, table[r]);
    if (!settings->endString.empty()) {
      out.write(settings->endString);
      out.write(eol);
    }
    if (!keepRows) table.clearRows();
    // A full disk or a closed pipe must not pass for a written table.
    if (!out.close()) {
      reportOutputFailure(out);
      return finalStatus();
    }
  }
  if ((RunMode & mode::kExecute) && !executeProgram.empty() && execute() == 0) return finalStatus();
  if (warningWritten() && exitState == 0) exitState = 2;
  return finalStatus();
}

}  // namespace comptab
