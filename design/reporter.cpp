#include "design/reporter.h"

#include "platform/support/file_locators.h"
#include "platform/support/path.h"
#include "settings/message_codes.h"

namespace comptab {

void Reporter::reportError(ReportKind kind, std::optional<std::string_view> text, int newExitState, int code) {
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

void Reporter::setUpErrorFile(const std::optional<std::string>& directory) {
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
