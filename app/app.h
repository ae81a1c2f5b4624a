// The application object: the command line and the resource file, which
// fill the run's options, and the run loop over the walks of the Run.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/run.h"
#include "output/html_page.h"
#include "output/html_sheets.h"
#include "output/table_writer.h"
#include "platform/support/output_stream.h"

namespace comptab {

class ParameterSet;
class PackagedRows;
class RecordTable;
struct RunRows;

class App : public Run {
 public:
  // Parses the options, prints the version or the usage, sets up the error
  // file and loads the resource file; the outcome is in the reporter's exitState
  // (0 ready, 1 resource failure, 3 version printed, 5 usage shown).
  App(int argc, const char* const* argv);
  ~App() override;

  // The run loop; returns the exit status.
  int run();
  // Runs the command of execute mode on the output file; 0 when the
  // command is malformed (reported).
  int execute();
  // After memory ran out: the numbered error, what ran out, exit state 1.
  // Returns the final status.
  int reportOutOfMemory(const std::string& what);
  // The rows of the finished run, handed over so that the process can end
  // without freeing them row by row; null before a run. Everything else
  // the App holds (the error file, the databases, their locks) still
  // closes in its destructor.
  RunRows* leaveRowsToExit();
  // Frees the rows at once: memory ran out and the report needs some.
  void dropRows();

  int extractComponent(const Placement& where, const ComponentRef& component, TablePass& pass,
                       const VariantComponent* variant, const Destination* dest,
                       const std::string* destinationName) override;

 private:
  // Returns false when the usage was shown or the version printed.
  bool parseOptions(const ParameterSet& words, bool& eolGiven);
  // A command line that cannot be run: shows the usage, sets the exit state
  // 5 and tells the terminal why (`why`, when not empty) and where the usage
  // was written. Returns false, for parseOptions to return.
  bool refuseWithUsage(const std::string& why);
  void showUsage();
  void setTarget(const std::string& word);
  bool loadResource();
  bool csvSettingsSound();
  void mergeSettings(bool eolGiven);
  struct RunPlan;
  RunPlan planRun() const;
  // One table of the run: its rows collected, sorted and folded; then
  // written, appended to the output after the first. 0 when the run must
  // stop (reported).
  struct Carried;
  int collectTable(const RunPlan& plan, size_t i, RecordTable& table, Carried& carried);
  // Tells the names the keys ask for that no component of the table has
  // (notes, or errors when strict is on); 0 when the run must stop.
  int checkNames();
    int writeTable(const TableWriter& writer, const std::string* item, bool append, bool last,
                 const RecordTable& table);
  std::vector<const std::string*> outputItems() const;
  // Column titles from the property display names, when they are open.
  DisplayNameHook displayNameHook() const;
  // 38606 for the output file `path` (null: standard output), then what
  // the system said of the failure.
  void reportOutputFailure(const std::string* path, const std::string& systemReason);
  std::vector<NameId> propertiesReadAfterPackaging() const;
  bool outputFilesFree(const std::vector<const std::string*>& items);
  // The final status: exitState, negated when the error file has no name.
  int finalStatus() const { return reporter_.logReady != 0 ? reporter_.exitState : -reporter_.exitState; }
  // A -p: parameter of comptab's own whose value is wrong: reported, with
  // what it wants; false.
  bool refuseParameter(std::string_view name, std::string_view value, std::string_view wanted);
  // Grouping into `grouped` (the rows of `table` stay as they are), then
  // what a bill of materials adds to the grouped rows. The table to write:
  // `grouped`, or `table` itself when there is no grouping.
  const RecordTable& groupRows(const RunPlan& plan, RecordTable& table, RecordTable& grouped);
  // Packaging where the modes ask, then grouping: the table to write, which
  // is `table` itself when neither applies. `table` stays as it is.
  const RecordTable& foldTable(const RunPlan& plan, size_t i, RecordTable& table, PackagedRows& packages,
                               RecordTable& packed, RecordTable& grouped);

  // The interactive page (-p:format html): every table goes into it, and
  // it is written once at the end with the design's drawing. 0 when the
  // run must stop (reported).
  bool writesPage() const;
  int addPageTable(const TableWriter& writer, const std::string* item, const RecordTable& table);
  int writePage();

  // comptab's own parameters: -p:format wins over tableFormat, and
  // -p:boards N adds the quantity for N boards.
  std::optional<TableFormat> formatOption;
  int boards = 0;
  bool strictOption = false;         // -p:strict
  bool byteOrderMarkOption = false;  // -p:bom
  std::unique_ptr<RunRows> rows_;
  std::unique_ptr<HtmlPage> page_;
  // The components of sheets of comptab's own formats, as the walk of the
  // first table meets them, for the page's drawing.
  std::unique_ptr<PagePlaces> places_;
  bool recordingPlaces_ = false;
  void recordPlace(const Placement& where, const ComponentRef& component);
  std::string_view pageSheet(const Placement& where);
  void noteBlock(const Placement& where, const ComponentRef& component) override;
  // Where the tables go; kept open from one table to the next that shares
  // its file.
  OutputStream output_;
};

// A line for a person at the terminal that quotes words from outside (the
// command line, the resource file): escaped like every reason line, so that
// a stray control character cannot play tricks with the terminal.
void tellTerminal(const std::string& line);

// The whole program: checks the environment, constructs the App and runs
// it. Returns the exit status (negative when the error file had no name).
int comptabMain(int argc, const char* const* argv);

}  // namespace comptab
