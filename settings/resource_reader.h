// Finding, reading and checking the resource file.
#pragma once

#include <memory>
#include <string>

#include "settings/settings.h"

namespace comptab {

enum class ReadFailure { None, NotFound, NotReadable, BadContent };

// The message code of a failure (0 for None).
int failureCode(ReadFailure failure);

// Fills `settings` (which holds the defaults) from the resource file.
// `resourcePath` is the command line's path, or empty to search the
// personal and then the system resource file; it ends naming the file used.
// `currentKey` names the key being read when the reading failed (empty when
// it failed before the first key). `parseError` receives the parser's own
// explanation when the file did not parse. True when `failureKind` is None.
bool readResource(Settings& settings, std::string& resourcePath, ReadFailure& failureKind,
                  std::string& currentKey, std::string& parseError);

// A new record with the defaults, filled by readResource; null on failure.
std::unique_ptr<Settings> loadSettings(std::string& resourcePath, ReadFailure& failureKind,
                                       std::string& currentKey, std::string& parseError);

}  // namespace comptab
