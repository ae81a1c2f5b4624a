// Opening the design: the target, where messages go, the output, the
// execute command, the destinations, the package property, and the side
// data the walks and the extraction read.
#include "design/app_state.h"
#include "design/message_codes.h"
#include "platform/path.h"
#include "platform/temp_file.h"
#include "settings/run_mode.h"

namespace comptab {

namespace {
constexpr std::string_view kDesignDirMark = "$CIR";
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
  return 1;
}

}  // namespace comptab
