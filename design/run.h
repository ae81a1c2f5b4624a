// A run over one design: it owns what the run was asked (RunOptions), how
// it reports (Reporter) and what it opened (RunData), opens the design and
// walks it, handing each component it reaches to the extraction. The App
// (app/) fills the options from the command line and adds the run loop on
// top; the extraction (extract/) gets only the parts each step reads.
#pragma once

#include <memory>
#include <string>

#include "design/reporter.h"
#include "design/run_data.h"
#include "design/run_options.h"
#include "design/table_pass.h"
#include "platform/sheet/design_db.h"
#include "platform/sheet/sheet_cache.h"

namespace comptab {

class CircuitHierarchy;
class ComponentRef;
class Destination;
class KicadProject;
class VariantComponent;
struct Placement;
// The circuit walk's handles.
class InstanceSheet;
class SheetInfo;
template <typename T>
class InstanceSequence;

class Run {
 public:
  Run();
  virtual ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

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

  const RunOptions& options() const { return options_; }
  Reporter& reporter() { return reporter_; }
  // The KiCad project of the run, once opened; null for other designs.
  const KicadProject* kicadProject() const { return caches_.kicadProject.get(); }

 protected:
  // Declared first so that it closes the error file last.
  Reporter reporter_;
  // Filled by the App and finished by openDesign; only read afterwards.
  RunOptions options_;
  RunData data_;

 private:
  // What the walks keep from one table to the next, so that no table reads
  // a file again. Released before the side data above, which the open
  // sheets and the variant evaluator point into.
  struct RunCaches {
    RunCaches();
    ~RunCaches();
    // Each sheet file is read once a run, however many tables and instances.
    SheetCache sheets;
    // One variant evaluator for every component: assign() reuses its storage.
    std::unique_ptr<VariantComponent> variantScratch;
    // A circuit's hierarchy (its instance database, or a KiCad project's
    // built in memory) stays open from the first table of the run to the
    // last, and the sheets it loaded stay loaded while another table is to
    // come, so that no table reads them again.
    std::unique_ptr<CircuitHierarchy> instanceDb;
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
  // The hierarchy of the KiCad project, built in memory; null when it is
  // refused (reported).
  std::unique_ptr<CircuitHierarchy> kicadHierarchy();
  // One component a walk reached: excluded, or extracted once, or once per
  // destination it serves. 0 when the run must stop.
  int listComponent(const Placement& where, const ComponentRef& component, TablePass& pass);

  RunCaches caches_;
};

}  // namespace comptab
