// The run loop: one table per output item, each collected, sorted, folded
// where the modes ask, and written.
#include <algorithm>

#include "app/app.h"
#include "app/run_rows.h"
#include "extract/bom_columns.h"
#include "extract/group_rows.h"
#include "extract/package_gates.h"
#include "extract/unmatched_names.h"
#include "output/table_output_path.h"
#include "output/table_writer.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"
#include "platform/support/output_stream.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"
#include "table/record_table.h"
#include "table/sort_order.h"

namespace comptab {

namespace {

constexpr const char* kStandardOutput = "standard output";

// Packaging reads these of a row besides what is read after it (the
// device's property table, which names any property, aside).
std::vector<NameId> namesPackagingReads() {
  std::vector<NameId> names;
  for (const char* name : {"componentType", "reference", "_DEST", "cdbName", "componentName", "partName", "_GATENO",
                           "_HASPOWER", "id", "_NILR_"})
    names.push_back(internName(name));
  return names;
}

}  // namespace

// The items of the run: null stands for the one table of a design listed
// without destinations (or of the component-destination listing).
std::vector<const std::string*> App::outputItems() const {
  std::vector<const std::string*> items;
  if (options_.runMode & mode::kCompDest) {
    items.push_back(nullptr);
  } else if (!options_.destinations.empty()) {
    for (const std::string& d : options_.destinations) items.push_back(&d);
  } else if (!options_.dataSpecDestinations.empty()) {
    for (const std::string& d : options_.dataSpecDestinations) items.push_back(&d);
  } else {
    items.push_back(nullptr);
  }
  return items;
}

DisplayNameHook App::displayNameHook() const {
  if (!data_.propSpecFile) return {};
  const PropSpecFile* names = data_.propSpecFile.get();
  return [names](std::string_view property) { return names->displayString(PropSpecFile::kComponent, property); };
}

void App::reportOutputFailure(const std::string* path, const std::string& systemReason) {
  const std::string name = path != nullptr ? *path : kStandardOutput;
  reporter_.reportError(path != nullptr ? ReportKind::OutputFile : ReportKind::StandardOutput, name, 1,
                        msg::kOutputOpen);
  // The second message says only whether the file exists; the system's
  // reason tells a full disk from a folder that cannot be written.
  if (!systemReason.empty()) reporter_.writeNote(name + ": " + systemReason);
}

// The columns, the sort keys, and what grouping counts by.
std::vector<NameId> App::propertiesReadAfterPackaging() const {
  const Settings& settings = options_.settings;
  std::vector<NameId> names;
  for (const FormatColumn& column : settings.format) names.push_back(internName(column.property));
  for (const std::string& name : settings.sortKey) names.push_back(internName(name));
  names.push_back(internName("reference"));
  names.push_back(internName("partName"));
  if (!options_.packageProperty.empty()) names.push_back(internName(options_.packageProperty));
  if (!options_.packageProperty.empty())
    for (const std::string& name : settings.packageAlso) names.push_back(internName(name));
  return names;
}

// "$DEST" in the output path gives each table a file of its own: each is
// refused like the one file when it exists and overwriting is not asked
// for, before any table is written.
bool App::outputFilesFree(const std::vector<const std::string*>& items) {
  if (options_.outputPath && namesFilePerDestination(*options_.outputPath)) {
    // Destination names come from the design's side files: none may steer a
    // table out of the output folder or onto another table's file.
    std::vector<std::string> paths;
    for (const std::string* item : items) {
      const std::string& name = item != nullptr ? *item : std::string(kBoardDestination);
      paths.push_back(tableOutputPath(*options_.outputPath, name));
      std::string reason;
      if (!destinationFitsPath(name, &reason)) {
        reportOutputFailure(&paths.back(), "destination \"" + name + "\": " + reason);
        return false;
      }
    }
    if (const size_t shared = firstSharedPath(paths); shared < paths.size()) {
      reportOutputFailure(&paths[shared], "two destinations' tables would both be written to this file, and only the "
                                          "last would remain; give each destination a name of its own");
      return false;
    }
  }
  if (!options_.outputPath || (options_.runMode & mode::kForce)) return true;
  for (const std::string* item : items) {
    const std::string path = tableOutputPath(*options_.outputPath, item != nullptr ? *item : kBoardDestination);
    if (path != *options_.outputPath && pathAccess(path, Access::Exists) && !isDeviceOutput(path)) {
      reporter_.reportError(ReportKind::OutputFile, path, 1, msg::kOutputExists);
      return false;
    }
  }
  return true;
}

// What every table of the run shares, settled once before the first.
struct App::RunPlan {
  std::vector<const std::string*> items;
  // What is read of a row after the walk: without packaging rows keep
  // only that from the start; with it, grouped rows keep only that.
  std::vector<NameId> readLater;
  bool packaging = false;
  // What rows keep from the walk on in packaging: what is read later and
  // what packaging reads; everything when the KCDB property check is on.
  std::vector<NameId> packagingKeeps;
  bool packagingKeepsAll = false;
  // A row made without variants is the same in every table, and
  // packaging and grouping leave the table's rows as they are, so after
  // the first table only the rows made for a destination are dropped and
  // made again; the sort's tie order (the walk's) keeps the table as a
  // fresh walk would make it.
  bool keepRows = false;
  // The kept rows keep their sort keys too, and the new rows are merged in,
  // unless something changes rows after the sort: the build quantity may.
  bool mergeKeptRows = false;
};

App::RunPlan App::planRun() const {
  RunPlan plan;
  plan.items = outputItems();
  plan.readLater = propertiesReadAfterPackaging();
  plan.packaging = (options_.runMode & (mode::kPackage | mode::kPnPackage)) != 0;
  plan.packagingKeeps = plan.readLater;
  for (const NameId name : namesPackagingReads()) plan.packagingKeeps.push_back(name);
  plan.packagingKeepsAll = (options_.runMode & mode::kCheckKcdbProp) != 0;
  plan.keepRows = plan.items.size() > 1 && !(options_.runMode & mode::kCompDest);
  plan.mergeKeptRows = plan.keepRows && boards <= 0;
  return plan;
}

const RecordTable& App::groupRows(const RunPlan& plan, RecordTable& table, RecordTable& grouped) {
  const Settings& settings = options_.settings;
  const bool byPartName = (options_.runMode & mode::kPnPackage) != 0;
  const bool byPackage = !options_.packageProperty.empty();
  if (!byPartName && !byPackage) {
    if (boards == 0) return table;
    if (!plan.packaging) {
      setBuildQuantity(table, boards, false);
      return table;
    }
    // Packaged rows share their lists with the rows the next table uses.
    grouped.assign(table);
    for (int r = 0; r < grouped.count(); ++r) grouped.at(r).ownProperties();
  }
  const RecordTable* rows = &table;
  // Grouped rows hold only what is read of them later, as rows that are
  // not packaged do from the walk on.
  if (byPartName) {
    groupRowsInto(settings, *rows, grouped, GroupKeys{.keyName = "partName", .kept = &plan.readLater});
    rows = &grouped;
  }
  if (byPackage) {
    RecordTable again;
    RecordTable& into = rows == &grouped ? again : grouped;
    groupRowsInto(settings, *rows, into,
                  GroupKeys{options_.packageProperty, settings.packageAlso, &plan.readLater, settings.valueMeaning});
    if (rows == &grouped) grouped.replaceWith(again);
  }
  if (settings.referenceRanges && (byPartName || byPackage))
    writeReferenceRanges(grouped, settings.token, settings.rangeChar);
  if (boards > 0) setBuildQuantity(grouped, boards, byPartName || byPackage);
  return grouped;
}

const RecordTable& App::foldTable(const RunPlan& plan, size_t i, RecordTable& table, PackagedRows& packages,
                                  RecordTable& packed, RecordTable& grouped) {
  if (!plan.packaging) return groupRows(plan, table, grouped);
  packages.package(options_, data_.kcdbCache.get(), reporter_, table, packed, i == 0 ? 1 : 0);
  return groupRows(plan, packed, grouped);
}

// What one table leaves the next: the order of its rows, and which
// components have variants.
struct App::Carried {
  TableOrder order;
  std::vector<bool> variantComponents;
};

int App::collectTable(const RunPlan& plan, size_t i, RecordTable& table, Carried& carried) {
  TableOrder& order = carried.order;
  const auto perDestination = [](const ComponentRecord& row) { return row.perDestination; };
  const bool merging = plan.mergeKeptRows && i > 0;
  if (merging)
    order.drop(table, perDestination);
  else if (plan.keepRows && i > 0)
    table.removeIf(perDestination);
  else
    table.setCount(0);
  const int kept = table.count();
  // Extraction sets only what the row keeps (and what it reads itself; the
  // gate data's keys are among what packaging reads) rather than a whole
  // row to be cut down: a component carries about twice what a packaging
  // row keeps.
  const std::vector<NameId>* keeps = !plan.packaging          ? &plan.readLater
                                     : plan.packagingKeepsAll ? nullptr
                                                              : &plan.packagingKeeps;
  TablePass pass{.table = table,
                 .destinationName = plan.items[i],
                 .keepOpen = i + 1 < plan.items.size(),
                 .variantRowsOnly = plan.keepRows && i > 0,
                 .keptProperties = keeps,
                 .extractedNames = (options_.runMode & mode::kSearch) ? nullptr : keeps,
                 .variantComponents = plan.keepRows ? &carried.variantComponents : nullptr,
                 .census = &rows_->census};
  rows_->census.clear();
  const int walked = (options_.runMode & mode::kCircuit) ? walkCircuit(pass) : walkSheets(pass);
  if (walked == 0) return 0;
  // A later table that keeps the rows before it walks only the components
  // with variants: its census is not the table's, and the first told all.
  if ((!plan.keepRows || i == 0) && checkNames() == 0) return 0;
  if (merging)
    order.merge(table, kept);
  else
    order.sort(table);
  return 1;
}

int App::checkNames() {
  const Settings& settings = options_.settings;
  const bool strict = strictOption || settings.strict;
  const NameUse use{.packageProperty = &options_.packageProperty,
                    .packageFromOption = options_.packageProperty != settings.package,
                    .termsFilter = (options_.runMode & mode::kSearch) != 0};
  bool refused = false;
  for (const UnmatchedName& unmatched : unmatchedNames(settings, use, rows_->census)) {
    const std::string text = unmatched.text(options_.resourceFile);
    std::vector<std::string>& told = rows_->namesTold;
    if (std::find(told.begin(), told.end(), text) != told.end()) continue;
    told.push_back(text);
    if (!strict) {
      tellTerminal("note: " + text);
      continue;
    }
    reporter_.writeError(msg::kDetail, {unmatched.key});
    reporter_.writeNote(text + " (strict is on)");
    refused = true;
  }
  if (refused) reporter_.exitState = 1;
  return refused ? 0 : 1;
}

int App::writeTable(const TableWriter& writer, const std::string* item, bool append, bool last,
                    const RecordTable& table) {
  const Settings& settings = options_.settings;
  OutputStream& out = output_;
  std::string reason;
  const std::string path =
      options_.outputPath ? tableOutputPath(*options_.outputPath, item != nullptr ? *item : kBoardDestination) : "";
  // Tables that share one file go to it through one stream, which stays
  // open (a temporary file) until the last is in; a table with a file of
  // its own starts it afresh.
  const bool sharedFile = options_.outputPath && path == *options_.outputPath;
  if (options_.outputPath && !(append && sharedFile && out.isOpen())) {
    // O_NOFOLLOW guards only the last step: a folder of the design may be
    // a link planted to lead the table elsewhere.
    // A path the resource file itself leads out ("$CIR/../bom.txt") is
    // taken as written.
    const std::string folder = directoryPart(path);
    const std::string written = expandPath(folder);
    const std::string design = expandPath(options_.designDir);
    const bool inside = written == design || written.starts_with(design == "/" ? design : design + "/");
    if (options_.outputInDesign && inside && realPath(folder) && !staysInside(folder, options_.designDir)) {
      reportOutputFailure(&path, "a folder on the way is a symbolic link that leads out of the design's folder; "
                                 "remove it or name the output file without $CIR");
      return 0;
    }
    if (!out.open(path, append && sharedFile, &reason, !options_.outputInDesign)) {
      reportOutputFailure(&path, reason);
      return 0;
    }
  } else if (!options_.outputPath) {
    out = OutputStream::standardOutput();
  }
  // A spreadsheet takes a file for UTF-8 (µ, Ω) only when it begins with
  // the byte-order mark: written where a file or standard output starts.
  const bool fresh = options_.outputPath ? !(append && path == *options_.outputPath) : !append;
  if (fresh && writer.format() != TableFormat::Text && (byteOrderMarkOption || settings.byteOrderMark))
    out.write("\xEF\xBB\xBF");
  // CSV and TSV files hold the table alone unless keepTableTexts asks.
  const bool texts = writer.writesTableTexts();
  if (!settings.beginString.empty() && texts) {
    out.write(settings.beginString);
    out.write(options_.eol);
  }
  if (!(options_.runMode & mode::kCompDest) && texts) {
    out.write(settings.destHeadString);
    out.write(item != nullptr ? *item : kBoardDestination);
    out.write(options_.eol);
  }
  if (!(options_.runMode & mode::kNoHeader)) writer.writeHeader(out);
  writer.beginTable(out);
  // How far ahead of the row being written its successors' lists and then
  // their values are asked for (ComponentRecord::prefetchList).
  constexpr int kListsAhead = 16;
  constexpr int kValuesAhead = 8;
  const int rows = table.count();
  for (int r = 0; r < rows; ++r) {
    if (r + kListsAhead < rows) table[r + kListsAhead].prefetchList();
    if (r + kValuesAhead < rows) table[r + kValuesAhead].prefetchValues();
    writer.writeRow(out, table[r]);
  }
  writer.endTable(out);
  if (!settings.endString.empty() && texts) {
    out.write(settings.endString);
    out.write(options_.eol);
  }
  // A full disk or a closed pipe must not pass for a written table.
  if (sharedFile && !last) {
    if (!out.flush()) {
      out.close(&reason);
      reportOutputFailure(&path, reason);
      return 0;
    }
    return 1;
  }
  if (!out.close(&reason)) {
    reportOutputFailure(options_.outputPath ? &path : nullptr, reason);
    return 0;
  }
  return 1;
}

int App::run() {
  const Settings& settings = options_.settings;
  const bool pageRun = writesPage();
  options_.keepKicadFiles = pageRun;
  if (openDesign() == 0) return finalStatus();
  const RunPlan plan = planRun();
  if (!outputFilesFree(plan.items)) return finalStatus();
  const TableWriter writer(settings, options_.runMode, options_.eol, displayNameHook(), formatOption);
  // A file named for a spreadsheet that gets padded text reads as one
  // column there; the table is written as asked all the same.
  if (options_.outputPath && writer.format() == TableFormat::Text && options_.outputPath->size() > 4 &&
      equalsNoCase(std::string_view(*options_.outputPath).substr(options_.outputPath->size() - 4), ".csv"))
    tellTerminal(
        strprintf("note: %s is written as a text table (padded cells), not as CSV; add -p:format csv "
                  "(or tableFormat = \"csv\" in the resource file) for comma-separated values",
                  options_.outputPath->c_str()));
  rows_ = std::make_unique<RunRows>();
  RecordTable& table = rows_->table;
  RecordTable& packed = rows_->packed;
  RecordTable& grouped = rows_->grouped;
  PackagedRows& packages = rows_->packages;
  Carried carried{TableOrder(settings.sortKey, SortKeyOrder{settings.sortDescending, settings.sortByValue}), {}};
  for (size_t i = 0; i < plan.items.size(); ++i) {
    // The page's drawing of sheets of comptab's own formats comes from the
    // walk of the first table.
    recordingPlaces_ = pageRun && i == 0 && kicadProject() == nullptr;
    if (recordingPlaces_) places_ = std::make_unique<PagePlaces>();
    const bool collected = collectTable(plan, i, table, carried) != 0;
    recordingPlaces_ = false;
    int written = 0;
    if (collected) {
      const RecordTable& folded = foldTable(plan, i, table, packages, packed, grouped);
      if (pageRun)
        written = addPageTable(writer, plan.items[i], folded);
      else
        written = writeTable(writer, plan.items[i], i > 0, i + 1 == plan.items.size(), folded);
    }
    if (written == 0) {
      packed.setCount(0);
      grouped.setCount(0);
      table.clearRows();
      return finalStatus();
    }
    // The last table's rows are left for the end of the process.
    if (i + 1 == plan.items.size()) break;
    packed.setCount(0);
    grouped.setCount(0);
    if (!plan.keepRows) table.clearRows();
  }
  if (pageRun && writePage() == 0) return finalStatus();
  if ((options_.runMode & mode::kExecute) && !options_.executeProgram.empty() && execute() == 0) return finalStatus();
  if (reporter_.warningWritten() && reporter_.exitState == 0) reporter_.exitState = 2;
  return finalStatus();
}

}  // namespace comptab
