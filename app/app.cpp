#include "app/app.h"

#include "app/message_codes.h"
#include "platform/environment.h"
#include "platform/path.h"

namespace comptab {

App::~App() = default;

void App::reportError(ReportKind kind, std::optional<std::string_view> text, int newExitState, int code) {
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

int App::run() {
  if (openDesign() == 0) return finalStatus();
  if (warningWritten() && exitState == 0) exitState = 2;
  return finalStatus();
}

int comptabMain(int argc, const char* const* argv) {
  // An empty root would turn every suite path into a relative one.
  const auto root = lookupEnv("KDXROOT");
  if (!root || root->empty()) return 1;
  setEnv("KSYSROOT", *root);
  App app(argc, argv);
  if (app.exitState != 0) return app.exitState;
  return app.run();
}

}  // namespace comptab
