#include "app/app.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/bom_page.h"
#include "app/run_rows.h"
#include "extract/extract_component.h"
#include "kicadbom/bom_command.h"
#include "output/html_page.h"
#include "platform/kicad/kicad_project.h"
#include "platform/support/environment.h"
#include "platform/support/memory_guard.h"
#include "platform/support/output_stream.h"
#include "platform/support/path.h"
#include "platform/support/text.h"
#include "settings/message_codes.h"

namespace comptab {

App::~App() = default;

RunRows* App::leaveRowsToExit() { return rows_.release(); }

void App::dropRows() { rows_.reset(); }

namespace {

// The rows of the last run, never freed: the system takes back a process's
// memory at once, where freeing a million rows' lists one by one takes a
// good part of a second. Kept reachable here so that leak checkers see
// memory in use rather than memory lost.
RunRows* rowsLeftToExit = nullptr;

}  // namespace

int App::extractComponent(const Placement& where, const ComponentRef& component, TablePass& pass,
                          const VariantComponent* variant, const Destination* dest,
                          const std::string* destinationName) {
  if (recordingPlaces_) recordPlace(where, component);
  return comptab::extractComponent(options_, data_, reporter_, where, component, pass, variant, dest, destinationName);
}

int comptabMain(int argc, const char* const* argv) {
  // Messages go to standard error before any output is opened; a closed
  // pipe there must not end the run with half an error file.
  ignoreBrokenPipes();
  // KiCad's own command line, and a KiCad project named alone, are served
  // without the suite: a KiCad user has no KDXROOT and no resource file.
  if (argc >= 4 && std::string_view(argv[1]) == "sch" && std::string_view(argv[2]) == "export" &&
      std::string_view(argv[3]) == "bom")
    return runBomExport(std::vector<std::string>(argv + 4, argv + argc), writeBomPage);
  if (argc == 2 && KicadProject::isTarget(argv[1]))
    return runProjectBom(argv[1]);
  // An empty root would turn every suite path into a relative one.
  const auto root = lookupEnv("KDXROOT");
  if (!root || root->empty()) {
    // No error file can be named without the root, so the terminal is the
    // only place to say what is missing.
    std::fputs(
        "comptab: KDXROOT is not set; it must name the suite root, e.g. "
        "export KDXROOT=/usr/local/share/comptab/suite (or the suite/ folder of the source tree)\n",
        stderr);
    return 1;
  }
  setEnv("KSYSROOT", *root);
  // Without the catalogue every message is a bare number and a path: say
  // once what the root was expected to hold. The run goes on as before.
  if (const std::string catalogue = *root + "/system/eng/comptab.msg"; !pathAccess(catalogue, Access::Exists))
    tellTerminal(
        strprintf("KDXROOT=%s names no suite root: %s, the message catalogue, is missing; the folder "
                  "must hold system/eng/comptab.msg and system/kordata.rsc, as the suite/ folder of the "
                  "source tree or PREFIX/share/comptab/suite does (docs/suite-root.md)",
                  root->c_str(), catalogue.c_str()));
  // Memory that runs out anywhere (a huge design, a low limit) ends the run
  // with a numbered error and the error file written, not an abort.
  std::optional<App> app;
  int status = 1;
  std::string failure;
  if (runGuarded(
          [&] {
            app.emplace(argc, argv);
            status = app->reporter().exitState != 0 ? app->reporter().exitState : app->run();
            rowsLeftToExit = app->leaveRowsToExit();
            // The error file and every database close here, as they always do.
            app.reset();
          },
          &failure))
    return status;
  if (app && runGuarded([&] {
        app->dropRows();
        status = app->reportOutOfMemory(failure);
      }))
    return status;
  std::fputs("comptab: not enough memory to run\n", stderr);
  return 1;
}

int App::reportOutOfMemory(const std::string& what) {
  const std::string& target = options_.designFile.empty() ? options_.designDir : options_.designFile;
  reporter_.writeError(msg::kOutOfMemory, {target});
  if (!what.empty()) reporter_.writeNote(what);
  reporter_.exitState = 1;
  return finalStatus();
}

}  // namespace comptab
