// The application object: the option values, the target, the run mode,
// the settings and the side data of one run, and the one routine through
// which every error is reported.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/batch_log.h"
#include "settings/settings.h"

namespace comptab {

class ParameterSet;

enum class ReportKind { InputFile = 1, OutputFile = 2, General = 3 };

class App : public BatchLog {
 public:
  // Parses the options, prints the version or the usage, sets up the error
  // file and loads the resource file; the outcome is in exitState
  // (0 ready, 1 resource failure, 3 version printed, 5 usage shown).
  App(int argc, const char* const* argv);
  ~App() override;

  // The run loop; returns the exit status.
  int run();
  // Checks the target and settles where messages go; 0 when the run must stop.
  int openDesign();

  // Writes `code` with `text` (nothing passed means no argument), then a
  // second message on the state of the file or the text, and stores
  // `newExitState`.
  void reportError(ReportKind kind, std::optional<std::string_view> text, int newExitState, int code);

  int setUpErrorFile(const std::optional<std::string>& directory);
  void showUsage();

  int logReady = 1;
  int exitState = 0;
  std::vector<std::string> destinations;
  std::string executeProgram;
  std::optional<std::string> outputPath;  // nothing: standard output
  std::string packageProperty;
  std::vector<std::string> dataSpecDestinations;
  std::string designFile;
  std::string designDir;
  std::string resourceFile;
  uint32_t RunMode = 0;
  std::string eol;
  int hierarchyLevel = -1;
  std::unique_ptr<Settings> settings;

 private:
  // Returns false when the usage was shown or the version printed.
  bool parseOptions(const ParameterSet& words, bool& eolGiven);
  void setTarget(const std::string& word);
  bool loadResource();
  void mergeSettings(bool eolGiven);
  // The final status: exitState, negated when the error file has no name.
  int finalStatus() const { return logReady != 0 ? exitState : -exitState; }
};

// The whole program: checks the environment, constructs the App and runs
// it. Returns the exit status (negative when the error file had no name).
int comptabMain(int argc, const char* const* argv);

}  // namespace comptab
