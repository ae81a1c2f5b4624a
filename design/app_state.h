// What a run knows: the option values, the target, the run mode, the
// settings and the side data of the open design, and the one routine
// through which every error is reported. The App (app/) adds the command
// line and the run loop on top; the walks and the extraction read this.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/table_pass.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_cache.h"
#include "platform/support/batch_log.h"
#include "platform/support/pattern.h"
#include "settings/settings.h"

namespace comptab {

class CompKindTable;
class ComponentRef;
class DataResource;
class Destination;
class InstanceDb;
class KcdbCache;
class KicadProject;
class PropSpecFile;
class VariantComponent;
class VariantDataSpec;
class VariantSysSpec;
struct Placement;
// The circuit walk's handles.
class InstanceSheet;
class SheetInfo;
template <typename T>
class InstanceSequence;

// What the text of a report names: a file read, a file written, the
// standard output (which has no file to say more of), or anything else.
enum class ReportKind { InputFile = 1, OutputFile = 2, General = 3, StandardOutput = 4 };

class AppState : public BatchLog {
 public:
  AppState();
  ~AppState() override;
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // Writes `code` with `text` (nothing passed means no argument), then a
  // second message on the state of the file or the text, and stores
  // `newExitState`.
  void reportError(ReportKind kind, std::optional<std::string_view> text, int newExitState, int code);

  // Sends messages to <directory>/log, or to the personal log directory
  // when there is no directory or its log cannot be written.
  void setUpErrorFile(const std::optional<std::string>& directory);

  // Starts the design libraries, checks the target, settles the output,
  // the execute command, the destinations and the package property, and
  // opens the side data.
  // 0 when the run must stop (the failure has been reported).
  int openDesign();
  // Opens the design's data resource, or a fallback with a warning; 0 when
  // there is none (reported).
  int openDataResource();
  // Opens the variant specs; 0 when destinations are asked for and a spec
  // they need is missing (reported).
  int openVariantSpecs();
  // A KiCad target (docs/kicad.md): reads the project, shares its sheets
  // into the run's sheet cache and builds its KCDB in the packaging modes;
  // 0 when it cannot be read (reported).
  int openKicadProject();

  // Collects the rows of one table into `pass.table`: a sheet file's
  // components, or a circuit's, down to hierarchyLevel. 0 when the run must
  // stop (reported).
  int walkSheets(TablePass& pass);
  int walkCircuit(TablePass& pass);

  // Turns one component a walk reached into a row of `pass.table`; 0 when
  // the run must stop. Virtual because the extraction (extract/) builds on
  // this layer and cannot be called from it: the App supplies it, and the
  // walks' tests replace it to see what a walk lists without making rows.
  virtual int extractComponent(const Placement& where, const ComponentRef& component, TablePass& pass,
                               const VariantComponent* variant, const Destination* dest,
                               const std::string* destinationName) = 0;

  // A block of a circuit that the walk goes into rather than lists: the
  // interactive page draws it. Does nothing unless the App asks.
  virtual void noteBlock(const Placement& where, const ComponentRef& component) {
    (void)where;
    (void)component;
  }

  // Search terms are compiled once a run, whatever the number of rows.
  PatternCache& patterns() { return caches_.patterns; }

  // The options, as the command line and then the settings give them, and
  // the side data opened once a run.
  int logReady = 1;
  int exitState = 0;
  std::vector<std::string> destinations;
  std::string executeProgram;
  std::optional<std::string> outputPath;  // nothing: standard output
  // The output path was built from "$CIR": a symlink planted there is not
  // followed out of the design.
  bool outputInDesign = false;
  std::string packageProperty;
  std::vector<std::string> dataSpecDestinations;
  std::string designFile;
  std::string designDir;
  std::string resourceFile;
  uint32_t RunMode = 0;
  std::string eol;
  int hierarchyLevel = -1;
  std::unique_ptr<Settings> settings;
  std::unique_ptr<VariantSysSpec> variantSysSpec;
  std::unique_ptr<VariantDataSpec> variantDataSpec;
  std::unique_ptr<DataResource> dataResource;
  std::unique_ptr<CompKindTable> compKindTable;  // only in the compkind mode, and when it reads
  std::unique_ptr<PropSpecFile> propSpecFile;    // only in the propspec mode, and when it reads
  std::unique_ptr<KcdbCache> kcdbCache;          // only in the packaging modes, and when the KCDB opens
  // A KiCad project keeps its files read for a page that draws them.
  bool keepKicadFiles = false;
  // The KiCad project of the run, once opened; null for other designs.
  const KicadProject* kicadProject() const { return caches_.kicadProject.get(); }

 private:
  // What the run keeps from one table to the next, so that no table reads a
  // file or compiles a pattern again. Released before the side data above,
  // which the open sheets and the variant evaluator point into.
  struct RunCaches {
    RunCaches();
    ~RunCaches();
    PatternCache patterns;
    // Each sheet file is read once a run, however many tables and instances.
    SheetCache sheets;
    // One variant evaluator for every component: assign() reuses its storage.
    std::unique_ptr<VariantComponent> variantScratch;
    // A circuit's instance database stays open from the first table of the
    // run to the last, and the sheets it loaded stay loaded while another
    // table is to come, so that no table reads them again.
    std::unique_ptr<InstanceDb> instanceDb;
    // A KiCad target's project, read once a run: its sheets are held in
    // the sheet cache, and its instance database is built from it.
    std::unique_ptr<KicadProject> kicadProject;
    // A sheet file listed alone, likewise.
    DesignDb designSheet;
    SheetRef designSheetRef;
    ZoneRef designZone;
  };

  // The parts of the walks (docs/circuit.md): opening one sheet, the
  // sheets of one level in sheet-number order, the components of a
  // top-level or a nested sheet, the sheets inside a sheet's blocks, and
  // the one step every component goes through.
  // Opens a sheet file with its sheet and zone grid, the grid moved to its
  // automatic offset; 0 when it cannot (reported, `db` closed).
  // `shared`: through the run's sheet cache, as a working copy.
  int openSheet(const std::string& path, DesignDb& db, SheetRef& sheet, ZoneRef& zone, bool shared = true);
  int walkSheetList(InstanceSequence<SheetInfo> sheets, TablePass& pass);
  int walkTopSheet(const SheetInfo& sheetInfo, SheetRef sheet, ZoneRef zone, TablePass& pass);
  int walkNestedSheet(SheetInfo& sheetInfo, SheetRef sheet, ZoneRef zone, TablePass& pass);
  int descendBlocks(const SheetInfo& sheetInfo, const InstanceSheet* instanceSheet, TablePass& pass);
  // The instance database of the KiCad project, built in memory; null when
  // it cannot be (reported).
  std::unique_ptr<InstanceDb> kicadInstanceDb();
  // One component a walk reached: excluded, or extracted once, or once per
  // destination it serves. 0 when the run must stop.
  int listComponent(const Placement& where, const ComponentRef& component, TablePass& pass);

  RunCaches caches_;
};

}  // namespace comptab
