// Finding, reading and checking the resource file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace comptab {

enum class ReadFailure { None, NotFound, NotReadable, BadContent };

// The format a name stands for ("text", "csv", "tsv", any case), or none.
std::optional<TableFormat> tableFormatNamed(std::string_view name);

// The message code of a failure (0 for None).
int failureCode(ReadFailure failure);

// How reading the resource file ended, and why it failed.
struct ResourceOutcome {
  ReadFailure failure = ReadFailure::None;
  // The key being read when the reading failed (empty when it failed before
  // the first key).
  std::string currentKey;
  // The parser's own explanation when the file did not parse, or what a
  // key of comptab's own wants when its value is wrong.
  std::string parseError;

  bool ok() const { return failure == ReadFailure::None; }
};

// Fills `settings` (which holds the defaults) from the resource file.
// `resourcePath` is the command line's path, or empty to search the
// personal and then the system resource file; it ends naming the file used.
ResourceOutcome readResource(Settings& settings, std::string& resourcePath);

// A new record with the defaults, filled by readResource; null on failure,
// with `outcome` saying why.
std::unique_ptr<Settings> loadSettings(std::string& resourcePath, ResourceOutcome& outcome);

}  // namespace comptab
