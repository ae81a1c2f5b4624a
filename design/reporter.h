// The run's one way of telling what went wrong: the numbered messages of
// the error file (echoed to standard error), the notes that follow them,
// and the exit status they leave. Whatever can fail during a run takes a
// Reporter and nothing more of the run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/support/batch_log.h"

namespace comptab {

// What the text of a report names: a file read, a file written, the
// standard output (which has no file to say more of), or anything else.
enum class ReportKind { InputFile = 1, OutputFile = 2, General = 3, StandardOutput = 4 };

class Reporter : public BatchLog {
 public:
  // Writes `code` with `text` (nothing passed means no argument), then a
  // second message on the state of the file or the text, and stores
  // `newExitState`.
  void reportError(ReportKind kind, std::optional<std::string_view> text, int newExitState, int code);

  // Sends messages to <directory>/log, or to the personal log directory
  // when there is no directory or its log cannot be written.
  void setUpErrorFile(const std::optional<std::string>& directory);

  // 0 when no error file could be named (messages reach standard error
  // only); the final status is then negated.
  int logReady = 1;
  // The exit status so far: 0 fine, 1 failed, 2 warned, and the App's own.
  int exitState = 0;
};

}  // namespace comptab
