// Starting another program.
#pragma once

#include <string>
#include <vector>

namespace comptab {

// Starts `program` (searched on PATH when it holds no '/') with `args` as
// its argument vector, without a shell, and waits for it to end. True when
// it ran and exited with status 0; otherwise `reason`, when given, says in
// words what happened: it could not be started (and why), it exited with
// another status, or a signal ended it.
bool runAndWait(const std::string& program, const std::vector<std::string>& args, std::string* reason = nullptr);

}  // namespace comptab
