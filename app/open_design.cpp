// Opening the design: the target check, the error file in the design's
// "log" directory, and the note on a resource file found by the search.
#include "app/app.h"
#include "app/message_codes.h"
#include "platform/path.h"

namespace comptab {

int App::openDesign() {
  const std::string& target = designFile.empty() ? designDir : designFile;
  if (!pathAccess(target, Access::Exists)) {
    reportError(ReportKind::InputFile, target, 1, msg::kTargetMissing);
    return 0;
  }
  setUpErrorFile(designDir);
  if (settings->resourceGiven == 0) writeWarning(msg::kDefaultFileUsed, {resourceFile});
  return 1;
}

}  // namespace comptab
