// What the run was asked to do: the command line's values, completed from
// the resource file's settings, and settled when the design is opened
// (the output, the execute command, the destinations). The App fills it
// and opening the design finishes it; from the first walk on it is only
// read, and everything below the run gets it as `const RunOptions&`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace comptab {

struct RunOptions {
  // The target: a sheet or KiCad file (and its folder), or a circuit's
  // folder alone.
  std::string designFile;
  std::string designDir;
  std::string resourceFile;
  // The mode bits (settings/run_mode.h): the -mode words, then the
  // resource switches that mirror them.
  uint32_t runMode = 0;
  std::string eol;
  int hierarchyLevel = -1;
  std::optional<std::string> outputPath;  // nothing: standard output
  // The output path was built from "$CIR": a symlink planted there is not
  // followed out of the design.
  bool outputInDesign = false;
  std::string executeProgram;
  std::string packageProperty;
  // The destinations asked for, and every one the variant data spec knows
  // followed by the board (empty without a spec).
  std::vector<std::string> destinations;
  std::vector<std::string> dataSpecDestinations;
  // A KiCad project keeps its files read for a page that draws them.
  bool keepKicadFiles = false;
  Settings settings;
};

}  // namespace comptab
