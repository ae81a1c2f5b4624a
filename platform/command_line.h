// Limits of the command line the program receives.
#pragma once

namespace comptab {

// The argument table holds the program name and at most this many words.
inline constexpr int kMaxWords = 127;

}  // namespace comptab
