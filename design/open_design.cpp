// Opening the design: the target, where messages go, the output, the
// execute command, the destinations, the package property, and the side
// data the walks and the extraction read.
#include "design/app_state.h"
#include "design/kcdb_cache.h"
#include "design/message_codes.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "platform/support/temp_file.h"
#include "settings/run_mode.h"

namespace comptab {

namespace {
constexpr std::string_view kDesignDirMark = "$CIR";
constexpr std::string_view kBoard = "_TOBOARD";
}

int AppState::openDesign() {
  const std::string& target = designFile.empty() ? designDir : designFile;
  if (!pathAccess(target, Access::Exists)) {
    reportError(ReportKind::InputFile, target, 1, msg::kTargetMissing);
    return 0;
  }
  setUpErrorFile(designDir);
  if (settings->resourceGiven == 0) writeWarning(msg::kDefaultFileUsed, {resourceFile});

  if (!outputPath && !settings->output.empty()) outputPath = settings->output;
  if (outputPath && outputPath->starts_with(kDesignDirMark)) {
    if (*outputPath == kDesignDirMark)
      outputPath.reset();
    else
      outputPath = joinPath(designDir, outputPath->substr(kDesignDirMark.size()));
  }
  if (outputPath && pathAccess(*outputPath, Access::Exists) && !(RunMode & mode::kForce)) {
    reportError(ReportKind::OutputFile, *outputPath, 1, msg::kOutputExists);
    return 0;
  }

  if (executeProgram.empty()) executeProgram = settings->command;
  if (RunMode & mode::kExecute) {
    if (executeProgram.empty()) {
      reportError(ReportKind::InputFile, resourceFile, 1, msg::kResourceBadContent);
      return 0;
    }
    if (!outputPath) {
      outputPath = createTempFile("xd");
      if (!outputPath) {
        reportError(ReportKind::OutputFile, "", 1, msg::kOutputOpen);
        return 0;
      }
    }
  }

  if (!destinations.empty()) {
    RunMode &= ~mode::kDestination;
  } else if (RunMode & mode::kDestination) {
    destinations = settings->destination;
    if (destinations.empty()) {
      reportError(ReportKind::InputFile, resourceFile, 1, msg::kResourceBadContent);
      return 0;
    }
  }
  if (packageProperty.empty()) packageProperty = settings->package;

  if (openDataResource() == 0) return 0;
  if (openVariantSpecs() == 0) {
    reportError(ReportKind::General, "", 1, msg::kVariantSpecsNeeded);
    return 0;
  }
  if (variantDataSpec) {
    for (size_t i = 0; i < variantDataSpec->count(); ++i) dataSpecDestinations.push_back(variantDataSpec->name(i));
    dataSpecDestinations.emplace_back(kBoard);
    for (const std::string& wanted : destinations) {
      if (!variantDataSpec->lookup(wanted) && wanted != kBoard) {
        reportError(ReportKind::General, wanted, 1, msg::kUnknownDestination);
        return 0;
      }
    }
  }
  // Both tables are optional: without them kinds show as numbers and
  // titles as property names.
  // An invalid table is passed over like a missing one, but says why, so
  // that a broken table is not mistaken for an absent one.
  if (RunMode & mode::kCompKind) {
    const std::string path = SystemFile::fileName("CompKind", SystemKind::Table);
    std::string reason;
    compKindTable = CompKindTable::open(path, CompKindTable::kReadOnly, &reason);
    if (!compKindTable && pathAccess(path, Access::Exists)) writeNote(reason);
  }
  if (RunMode & mode::kPropSpec) {
    const std::string path = SystemFile::fileNameLang("PropSpec", SystemKind::Table);
    std::string reason;
    propSpecFile = std::make_unique<PropSpecFile>();
    if (propSpecFile->readFrom(path, &reason) == 0) {
      propSpecFile.reset();
      if (pathAccess(path, Access::Exists)) writeNote(reason);
    }
  }
  // Without the KCDB the run still lists the design, only unpackaged.
  if (RunMode & (mode::kPackage | mode::kPnPackage)) {
    std::string whyNot = dataResource->kcdbProblem();
    if (whyNot.empty() && dataResource->kcdbPath().empty()) whyNot = dataResource->path() + ": names no kcdb";
    if (whyNot.empty()) kcdbCache = KcdbCache::create(dataResource->kcdbPath(), &whyNot);
    if (!kcdbCache) {
      writeWarning(msg::kKcdbOpen);
      writeNote(whyNot);
    }
  }
  return 1;
}

int AppState::openVariantSpecs() {
  const std::string sysPath = SystemFile::fileName("vmsys", SystemKind::Resource);
  const std::string dataPath = DesignDataFile::fileName(designDir, DesignFileKind::DataFile, "vmdata");
  std::string sysReason;
  std::string dataReason;
  variantSysSpec = VariantSysSpec::open(sysPath, 2, &sysReason);
  variantDataSpec = VariantDataSpec::open(dataPath, 2, &dataReason);
  // Without destinations, or with the board alone, no spec is needed.
  if (destinations.empty() || (destinations.size() == 1 && destinations[0] == kBoard)) return 1;
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
      if (i > 0) writeWarning(msg::kDefaultFileUsed, {path});
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
