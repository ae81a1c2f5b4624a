// Starting another program.
#pragma once

#include <string>
#include <vector>

namespace comptab {

// Starts `program` (searched on PATH when it holds no '/') with `args` as
// its argument vector, without a shell, and waits for it to end. False when
// it could not be started; its own exit status is not looked at.
bool runAndWait(const std::string& program, const std::vector<std::string>& args);

}  // namespace comptab
