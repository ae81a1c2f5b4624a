#include "design/app_state.h"

#include "design/kcdb_cache.h"
#include "platform/circuit/instance_db.h"
#include "platform/kicad/kicad_project.h"
#include "platform/rsc/comp_kind.h"
#include "platform/rsc/data_resource.h"
#include "platform/rsc/prop_spec.h"
#include "platform/sheet/variants.h"
#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "settings/message_codes.h"

namespace comptab {

AppState::AppState() = default;
AppState::~AppState() = default;
AppState::RunCaches::RunCaches() = default;
AppState::RunCaches::~RunCaches() = default;

void AppState::reportError(ReportKind kind, std::optional<std::string_view> text, int newExitState, int code) {
  writeError(code, {text.value_or("")});
  switch (kind) {
    case ReportKind::InputFile:
      if (!text) break;
      if (text->empty()) {
        writeError(msg::kInputPathEmpty);
      } else {
        const std::string path(*text);
        if (!pathAccess(path, Access::Exists))
          writeError(msg::kInputMissing, {path});
        else if (readableFile(path))
          writeError(msg::kInputReadable, {path});
        else
          writeError(msg::kInputNotReadable, {path});
      }
      break;
    case ReportKind::OutputFile:
      if (!text) break;
      if (text->empty()) {
        writeError(msg::kOutputPathEmpty);
      } else {
        const std::string path(*text);
        if (!pathAccess(path, Access::Exists))
          writeError(msg::kOutputMissing, {path});
        else if (pathKind(path) == PathKind::File && pathAccess(path, Access::Writable))
          writeError(msg::kOutputExistsWritable, {path});
        else
          writeError(msg::kOutputNotWritable, {path});
      }
      break;
    case ReportKind::StandardOutput:
      break;
    case ReportKind::General:
      if (text && text->empty()) break;
      if (text)
        writeError(msg::kDetail, {*text});
      else
        writeError(msg::kDetail);
      break;
  }
  exitState = newExitState;
}

void AppState::setUpErrorFile(const std::optional<std::string>& directory) {
  if (directory) {
    setDirectory(joinPath(*directory, "log"));
    logReady = setProgram("comptab");
    if (logReady == 0) setUpErrorFile(std::nullopt);
  } else {
    setDirectory(joinPath(PersonalFile::areaDir(), "log"));
    logReady = setProgram("comptab");
  }
}

}  // namespace comptab
