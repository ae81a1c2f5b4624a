// The argument vector of a process that receives its command line as one
// string (a Windows-style entry point). POSIX shells split words themselves;
// this is kept for entries that get the raw line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace comptab {

// The argument table holds the program name and at most this many words.
inline constexpr int kMaxWords = 127;

// Splits at blanks and tabs; runs of them make no empty words, and there is
// no quoting (a quoted path with a blank becomes two words).
std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace comptab
