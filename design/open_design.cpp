// Opening the design: the design libraries, the target, where messages go, the output, the
// execute command, the destinations, the package property, and the side
// data the walks and the extraction read.
#include "design/app_state.h"
#include "design/kcdb_cache.h"
#include "platform/kicad/kicad_file_kinds.h"
#include "platform/kicad/kicad_project.h"
#include "platform/kicadxml/kicad_xml.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "platform/support/temp_file.h"
#include "settings/message_codes.h"
#include "settings/run_mode.h"

namespace comptab {

namespace {
constexpr std::string_view kDesignDirMark = "$CIR";
constexpr std::string_view kStandardOutputMark = "-";

// The steps of opening the design, in order. A step that can stop the run
// returns 0 then, after reporting why.

// The sheet library checks once that it can work on this machine, before
// anything is read through it.
int initializeLibraries(AppState& app) {
  if (DesignDb::initialize()) return 1;
  app.reportError(ReportKind::General, "", 1, msg::kLibrariesInit);
  return 0;
}

int checkTarget(AppState& app) {
  const std::string& target = app.designFile.empty() ? app.designDir : app.designFile;
  if (pathAccess(target, Access::Exists)) return 1;
  app.reportError(ReportKind::InputFile, target, 1, msg::kTargetMissing);
  return 0;
}

// The command line's output, else the settings'; "$CIR" at its start
// stands for the design's folder, and alone, like "-", for standard output.
int settleOutput(AppState& app) {
  std::optional<std::string>& outputPath = app.outputPath;
  if (!outputPath && !app.settings->output.empty()) outputPath = app.settings->output;
  if (outputPath && outputPath->starts_with(kDesignDirMark)) {
    if (*outputPath == kDesignDirMark)
      outputPath.reset();
    else
      outputPath = joinPath(app.designDir, outputPath->substr(kDesignDirMark.size()));
    app.outputInDesign = outputPath.has_value();
  }
  // "-" is the usual shell spelling of standard output; a file of that name
  // is what nobody means.
  if (outputPath && *outputPath == kStandardOutputMark) outputPath.reset();
  // A device (-output /dev/null) is written to, not replaced: there is no
  // file to keep from being overwritten.
  if (outputPath && pathAccess(*outputPath, Access::Exists) && !(app.RunMode & mode::kForce) &&
      !isDeviceOutput(*outputPath)) {
    app.reportError(ReportKind::OutputFile, *outputPath, 1, msg::kOutputExists);
    return 0;
  }
  return 1;
}

// Execute mode needs a command, and a file for the command to read.
int settleExecute(AppState& app) {
  if (app.executeProgram.empty()) app.executeProgram = app.settings->command;
  if (!(app.RunMode & mode::kExecute)) return 1;
  if (app.executeProgram.empty()) {
    app.reportError(ReportKind::InputFile, app.resourceFile, 1, msg::kResourceBadContent);
    return 0;
  }
  if (!app.outputPath) {
    app.outputPath = createTempFile("xd");
    if (!app.outputPath) {
      app.reportError(ReportKind::OutputFile, "", 1, msg::kOutputOpen);
      return 0;
    }
  }
  return 1;
}

// Destinations named on the command line win over the destination mode.
int settleDestinations(AppState& app) {
  if (!app.destinations.empty()) {
    app.RunMode &= ~mode::kDestination;
  } else if (app.RunMode & mode::kDestination) {
    app.destinations = app.settings->destination;
    if (app.destinations.empty()) {
      app.reportError(ReportKind::InputFile, app.resourceFile, 1, msg::kResourceBadContent);
      return 0;
    }
  }
  return 1;
}

// Every destination the data spec knows, then the board; each destination
// asked for must be one of them.
int checkDestinations(AppState& app) {
  if (!app.variantDataSpec) return 1;
  const VariantDataSpec& spec = *app.variantDataSpec;
  for (size_t i = 0; i < spec.count(); ++i) app.dataSpecDestinations.push_back(spec.name(i));
  app.dataSpecDestinations.emplace_back(kBoardDestination);
  for (const std::string& wanted : app.destinations) {
    if (!spec.lookup(wanted) && wanted != kBoardDestination) {
      app.reportError(ReportKind::General, wanted, 1, msg::kUnknownDestination);
      return 0;
    }
  }
  return 1;
}

// Both tables are optional: without them kinds show as numbers and titles
// as property names. An invalid table is passed over like a missing one,
// but says why, so that a broken table is not mistaken for an absent one.
void openDisplayTables(AppState& app) {
  if (app.RunMode & mode::kCompKind) {
    const std::string path = SystemFile::fileName("CompKind", SystemKind::Table);
    std::string reason;
    app.compKindTable = CompKindTable::open(path, CompKindTable::kReadOnly, &reason);
    if (!app.compKindTable && pathAccess(path, Access::Exists)) app.writeNote(reason);
  }
  if (app.RunMode & mode::kPropSpec) {
    const std::string path = SystemFile::fileNameLang("PropSpec", SystemKind::Table);
    std::string reason;
    app.propSpecFile = std::make_unique<PropSpecFile>();
    if (app.propSpecFile->readFrom(path, &reason) == 0) {
      app.propSpecFile.reset();
      if (pathAccess(path, Access::Exists)) app.writeNote(reason);
    }
  }
}

// Without the KCDB the run still lists the design, only unpackaged.
void openKcdb(AppState& app) {
  if (!(app.RunMode & (mode::kPackage | mode::kPnPackage))) return;
  const DataResource& resource = *app.dataResource;
  std::string whyNot;
  const std::string& kcdbPath = resource.kcdbPath(&whyNot);
  if (whyNot.empty() && kcdbPath.empty()) whyNot = resource.path() + ": names no kcdb";
  if (whyNot.empty()) app.kcdbCache = KcdbCache::create(kcdbPath, &whyNot);
  if (!app.kcdbCache) {
    app.writeWarning(msg::kKcdbOpen);
    app.writeNote(whyNot);
  }
}

}  // namespace

int AppState::openDesign() {
  if (initializeLibraries(*this) == 0 || checkTarget(*this) == 0) return 0;
  setUpErrorFile(designDir);
  // A KiCad board or library is refused before the side files it would
  // never need are looked for (and warned about).
  if (isKicadNonSchematic(designFile)) {
    reportError(ReportKind::InputFile, designFile, 1, msg::kSheetOpen);
    writeNote(unsupportedKicadFileHint(designFile));
    return 0;
  }
  if (!settings->resourceGiven) writeWarning(msg::kDefaultFileUsed, {resourceFile});
  if (settleOutput(*this) == 0 || settleExecute(*this) == 0 || settleDestinations(*this) == 0) return 0;
  if (packageProperty.empty()) packageProperty = settings->package;
  if (openDataResource() == 0) return 0;
  // A KiCad project carries its own library (docs/kicad.md), and its design
  // variants are destinations, which the variant specs must know.
  const bool kicad = KicadProject::isTarget(designFile);
  if (kicad && openKicadProject() == 0) return 0;
  if (openVariantSpecs() == 0) {
    reportError(ReportKind::General, "", 1, msg::kVariantSpecsNeeded);
    return 0;
  }
  if (checkDestinations(*this) == 0) return 0;
  openDisplayTables(*this);
  if (!kicad) openKcdb(*this);
  return 1;
}

int AppState::openVariantSpecs() {
  const std::string sysPath = SystemFile::fileName("vmsys", SystemKind::Resource);
  const std::string dataPath = DesignDataFile::fileName(designDir, DesignFileKind::DataFile, "vmdata");
  std::string sysReason;
  std::string dataReason;
  if (!variantSysSpec) variantSysSpec = VariantSysSpec::open(sysPath, 2, &sysReason);
  variantDataSpec = VariantDataSpec::open(dataPath, 2, &dataReason);
  // A KiCad project's design variants are destinations of their own,
  // after those a data spec beside it lists.
  const KicadProject* kicad = caches_.kicadProject.get();
  if (kicad != nullptr && !kicad->variants().empty() &&
      (variantDataSpec || !pathAccess(dataPath, Access::Exists))) {
    variantDataSpec = VariantDataSpec::extended(variantDataSpec.get(), kicad->variants());
  }
  // Without destinations, or with the board alone, no spec is needed. A
  // broken vmdata still says why, or its destinations would vanish unseen.
  if (destinations.empty() || (destinations.size() == 1 && destinations[0] == kBoardDestination)) {
    if (!variantDataSpec && pathAccess(dataPath, Access::Exists)) writeNote(dataReason);
    return 1;
  }
  if (!variantSysSpec) {
    reportError(ReportKind::InputFile, sysPath, 1, msg::kVariantSysOpen);
    if (pathAccess(sysPath, Access::Exists)) writeNote(sysReason);
    return 0;
  }
  if (!variantDataSpec) {
    reportError(ReportKind::InputFile, dataPath, 1, msg::kVariantDataOpen);
    if (pathAccess(dataPath, Access::Exists)) writeNote(dataReason);
    return 0;
  }
  return 1;
}

int AppState::openDataResource() {
  const std::string candidates[] = {
      DesignDataFile::fileName(designDir, DesignFileKind::DataFile, "kordata"),
      packPath(joinPath(designDir, "kordata") + ".rsc"),
      packPath(SystemFile::fileName("kordata", SystemKind::Resource)),
  };
  for (size_t i = 0; i < std::size(candidates); ++i) {
    const std::string& path = candidates[i];
    if (path.empty()) continue;
    std::string reason;
    dataResource = DataResource::open(path, DataResource::kReadOnly, designDir, &reason);
    if (dataResource) {
      // KiCad files never have a data resource of their own and need none
      // (the suite's 1000 units to the millimetre are KiCad's own): warning
      // about it would end every run with status 2, which KiCad's BOM dialog
      // reports as a failure.
      const bool kicad = isKicadXmlFile(designFile) || KicadProject::isTarget(designFile);
      if (i > 0 && !kicad) writeWarning(msg::kDefaultFileUsed, {path});
      return 1;
    }
    // A file that is there but wrong is passed over; say why, or the
    // fallback's warning would leave the user guessing.
    if (pathAccess(path, Access::Exists)) writeNote(reason);
  }
  reportError(ReportKind::InputFile, candidates[2], 1, msg::kDataResourceOpen);
  return 0;
}

}  // namespace comptab
