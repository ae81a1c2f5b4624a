// Finding, reading and checking the resource file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  // The parser's own explanation, with line and column, when the file did
  // not parse.
  std::string parseError;
  // Why the key named by `currentKey` was refused: its line, the form it
  // must have and what was found.
  std::string keyReason;
  // Lines that do not stop the run, whether it failed or not: keys the
  // program does not read (with the known key they are closest to),
  // switches written true or false, excludeType names that are no type.
  std::vector<std::string> notes;

  bool ok() const { return failure == ReadFailure::None; }
};

// Fills `settings` (which holds the defaults) from the resource file.
// `resourcePath` is the command line's path, or empty to search the
// personal and then the system resource file; it ends naming the file used.
ResourceOutcome readResource(Settings& settings, std::string& resourcePath);

// Why a CSV table written with `settings` could not be read back (the
// separator and the quote character are one, or the quote is a line
// break), with the key to mend in `key`; empty when nothing is wrong.
std::string csvSettingsFault(const Settings& settings, std::string* key);

// A new record with the defaults, filled by readResource; null on failure,
// with `outcome` saying why.
std::unique_ptr<Settings> loadSettings(std::string& resourcePath, ResourceOutcome& outcome);

}  // namespace comptab
