// Execute mode: the written table handed to another program.
#include "app/app.h"
#include "output/execute_command.h"
#include "platform/support/process.h"
#include "settings/message_codes.h"

namespace comptab {

int App::execute() {
  const auto command = buildExecuteCommand(options_.executeProgram, options_.outputPath.value_or(""));
  if (!command) {
    reporter_.reportError(ReportKind::InputFile, "", 1, msg::kExecuteCommandBad);
    return 0;
  }
  // Whether the program starts, and how it ends, does not change the exit
  // status: the table has been written either way, and callers rely on it.
  // A note still says what went wrong, so that it is not lost.
  std::string outcome;
  if (!runAndWait(command->program, command->args, &outcome))
    reporter_.writeNote("Execute mode: the program \"" + command->program + "\" " + outcome + ".");
  return 1;
}

}  // namespace comptab
