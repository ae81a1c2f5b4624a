// Opening the design: the design libraries, the target, where messages go, the output, the
// execute command, the destinations, the package property, and the side
// data the walks and the extraction read.
#include "design/kcdb_cache.h"
#include "design/run.h"
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
int initializeLibraries(Reporter& reporter) {
  if (DesignDb::initialize()) return 1;
  reporter.reportError(ReportKind::General, "", 1, msg::kLibrariesInit);
  return 0;
}

int checkTarget(const RunOptions& options, Reporter& reporter) {
  const std::string& target = options.designFile.empty() ? options.designDir : options.designFile;
  if (pathAccess(target, Access::Exists)) return 1;
  reporter.reportError(ReportKind::InputFile, target, 1, msg::kTargetMissing);
  return 0;
}

// The command line's output, else the settings'; "$CIR" at its start
// stands for the design's folder, and alone, like "-", for standard output.
int settleOutput(RunOptions& options, Reporter& reporter) {
  std::optional<std::string>& outputPath = options.outputPath;
  if (!outputPath && !options.settings.output.empty()) outputPath = options.settings.output;
  if (outputPath && outputPath->starts_with(kDesignDirMark)) {
    if (*outputPath == kDesignDirMark)
      outputPath.reset();
    else
      outputPath = joinPath(options.designDir, outputPath->substr(kDesignDirMark.size()));
    options.outputInDesign = outputPath.has_value();
  }
  // "-" is the usual shell spelling of standard output; a file of that name
  // is what nobody means.
  if (outputPath && *outputPath == kStandardOutputMark) outputPath.reset();
  // A device (-output /dev/null) is written to, not replaced: there is no
  // file to keep from being overwritten.
  if (outputPath && pathAccess(*outputPath, Access::Exists) && !(options.runMode & mode::kForce) &&
      !isDeviceOutput(*outputPath)) {
    reporter.reportError(ReportKind::OutputFile, *outputPath, 1, msg::kOutputExists);
    return 0;
  }
  return 1;
}

// Execute mode needs a command, and a file for the command to read.
int settleExecute(RunOptions& options, Reporter& reporter) {
  if (options.executeProgram.empty()) options.executeProgram = options.settings.command;
  if (!(options.runMode & mode::kExecute)) return 1;
  if (options.executeProgram.empty()) {
    reporter.reportError(ReportKind::InputFile, options.resourceFile, 1, msg::kResourceBadContent);
    return 0;
  }
  if (!options.outputPath) {
    options.outputPath = createTempFile("xd");
    if (!options.outputPath) {
      reporter.reportError(ReportKind::OutputFile, "", 1, msg::kOutputOpen);
      return 0;
    }
  }
  return 1;
}

// Destinations named on the command line win over the destination mode.
int settleDestinations(RunOptions& options, Reporter& reporter) {
  if (!options.destinations.empty()) {
    options.runMode &= ~mode::kDestination;
  } else if (options.runMode & mode::kDestination) {
    options.destinations = options.settings.destination;
    if (options.destinations.empty()) {
      reporter.reportError(ReportKind::InputFile, options.resourceFile, 1, msg::kResourceBadContent);
      return 0;
    }
  }
  return 1;
}

// Every destination the data spec knows, then the board; each destination
// asked for must be one of them.
int checkDestinations(const RunData& data, RunOptions& options, Reporter& reporter) {
  if (!data.variantDataSpec) return 1;
  const VariantDataSpec& spec = *data.variantDataSpec;
  for (size_t i = 0; i < spec.count(); ++i) options.dataSpecDestinations.push_back(spec.name(i));
  options.dataSpecDestinations.emplace_back(kBoardDestination);
  for (const std::string& wanted : options.destinations) {
    if (!spec.lookup(wanted) && wanted != kBoardDestination) {
      reporter.reportError(ReportKind::General, wanted, 1, msg::kUnknownDestination);
      return 0;
    }
  }
  return 1;
}

// Both tables are optional: without them kinds show as numbers and titles
// as property names. An invalid table is passed over like a missing one,
// but says why, so that a broken table is not mistaken for an absent one.
void openDisplayTables(uint32_t runMode, RunData& data, Reporter& reporter) {
  if (runMode & mode::kCompKind) {
    const std::string path = SystemFile::fileName("CompKind", SystemKind::Table);
    std::string reason;
    data.compKindTable = CompKindTable::open(path, CompKindTable::kReadOnly, &reason);
    if (!data.compKindTable && pathAccess(path, Access::Exists)) reporter.writeNote(reason);
  }
  if (runMode & mode::kPropSpec) {
    const std::string path = SystemFile::fileNameLang("PropSpec", SystemKind::Table);
    std::string reason;
    data.propSpecFile = std::make_unique<PropSpecFile>();
    if (data.propSpecFile->readFrom(path, &reason) == 0) {
      data.propSpecFile.reset();
      if (pathAccess(path, Access::Exists)) reporter.writeNote(reason);
    }
  }
}

// Without the KCDB the run still lists the design, only unpackaged.
void openKcdb(uint32_t runMode, RunData& data, Reporter& reporter) {
  if (!(runMode & (mode::kPackage | mode::kPnPackage))) return;
  const DataResource& resource = *data.dataResource;
  std::string whyNot;
  const std::string& kcdbPath = resource.kcdbPath(&whyNot);
  if (whyNot.empty() && kcdbPath.empty()) whyNot = resource.path() + ": names no kcdb";
  if (whyNot.empty()) data.kcdbCache = KcdbCache::create(kcdbPath, &whyNot);
  if (!data.kcdbCache) {
    reporter.writeWarning(msg::kKcdbOpen);
    reporter.writeNote(whyNot);
  }
}

}  // namespace

int Run::openDesign() {
  RunOptions& o = options_;
  if (initializeLibraries(reporter_) == 0 || checkTarget(o, reporter_) == 0) return 0;
  reporter_.setUpErrorFile(o.designDir);
  // A KiCad board or library is refused before the side files it would
  // never need are looked for (and warned about).
  if (isKicadNonSchematic(o.designFile)) {
    reporter_.reportError(ReportKind::InputFile, o.designFile, 1, msg::kSheetOpen);
    reporter_.writeNote(unsupportedKicadFileHint(o.designFile));
    return 0;
  }
  if (!o.settings.resourceGiven) reporter_.writeWarning(msg::kDefaultFileUsed, {o.resourceFile});
  if (settleOutput(o, reporter_) == 0 || settleExecute(o, reporter_) == 0 || settleDestinations(o, reporter_) == 0)
    return 0;
  if (o.packageProperty.empty()) o.packageProperty = o.settings.package;
  if (openDataResource() == 0) return 0;
  // A KiCad project carries its own library (docs/kicad.md), and its design
  // variants are destinations, which the variant specs must know.
  const bool kicad = KicadProject::isTarget(o.designFile);
  if (kicad && openKicadProject() == 0) return 0;
  if (openVariantSpecs() == 0) {
    reporter_.reportError(ReportKind::General, "", 1, msg::kVariantSpecsNeeded);
    return 0;
  }
  if (checkDestinations(data_, o, reporter_) == 0) return 0;
  openDisplayTables(o.runMode, data_, reporter_);
  if (!kicad) openKcdb(o.runMode, data_, reporter_);
  return 1;
}

int Run::openVariantSpecs() {
  const std::string sysPath = SystemFile::fileName("vmsys", SystemKind::Resource);
  const std::string dataPath = DesignDataFile::fileName(options_.designDir, DesignFileKind::DataFile, "vmdata");
  std::string sysReason;
  std::string dataReason;
  if (!data_.variantSysSpec) data_.variantSysSpec = VariantSysSpec::open(sysPath, 2, &sysReason);
  data_.variantDataSpec = VariantDataSpec::open(dataPath, 2, &dataReason);
  // A KiCad project's design variants are destinations of their own,
  // after those a data spec beside it lists.
  const KicadProject* kicad = caches_.kicadProject.get();
  if (kicad != nullptr && !kicad->variants().empty() &&
      (data_.variantDataSpec || !pathAccess(dataPath, Access::Exists))) {
    data_.variantDataSpec = VariantDataSpec::extended(data_.variantDataSpec.get(), kicad->variants());
  }
  // Without destinations, or with the board alone, no spec is needed. A
  // broken vmdata still says why, or its destinations would vanish unseen.
  if (options_.destinations.empty() ||
      (options_.destinations.size() == 1 && options_.destinations[0] == kBoardDestination)) {
    if (!data_.variantDataSpec && pathAccess(dataPath, Access::Exists)) reporter_.writeNote(dataReason);
    return 1;
  }
  if (!data_.variantSysSpec) {
    reporter_.reportError(ReportKind::InputFile, sysPath, 1, msg::kVariantSysOpen);
    if (pathAccess(sysPath, Access::Exists)) reporter_.writeNote(sysReason);
    return 0;
  }
  if (!data_.variantDataSpec) {
    reporter_.reportError(ReportKind::InputFile, dataPath, 1, msg::kVariantDataOpen);
    if (pathAccess(dataPath, Access::Exists)) reporter_.writeNote(dataReason);
    return 0;
  }
  return 1;
}

int Run::openDataResource() {
  const std::string candidates[] = {
      DesignDataFile::fileName(options_.designDir, DesignFileKind::DataFile, "kordata"),
      packPath(joinPath(options_.designDir, "kordata") + ".rsc"),
      packPath(SystemFile::fileName("kordata", SystemKind::Resource)),
  };
  for (size_t i = 0; i < std::size(candidates); ++i) {
    const std::string& path = candidates[i];
    if (path.empty()) continue;
    std::string reason;
    data_.dataResource = DataResource::open(path, DataResource::kReadOnly, options_.designDir, &reason);
    if (data_.dataResource) {
      // KiCad files never have a data resource of their own and need none
      // (the suite's 1000 units to the millimetre are KiCad's own): warning
      // about it would end every run with status 2, which KiCad's BOM dialog
      // reports as a failure.
      const bool kicad = isKicadXmlFile(options_.designFile) || KicadProject::isTarget(options_.designFile);
      if (i > 0 && !kicad) reporter_.writeWarning(msg::kDefaultFileUsed, {path});
      return 1;
    }
    // A file that is there but wrong is passed over; say why, or the
    // fallback's warning would leave the user guessing.
    if (pathAccess(path, Access::Exists)) reporter_.writeNote(reason);
  }
  reporter_.reportError(ReportKind::InputFile, candidates[2], 1, msg::kDataResourceOpen);
  return 0;
}

}  // namespace comptab
