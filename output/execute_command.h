// The command of execute mode, made ready to start: the program, then its
// argument vector ending in the output file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

struct ExecuteCommand {
  std::string program;            // the first word, environment references replaced
  std::vector<std::string> args;  // its base name, the further words, the output path
};

// The command is split at blanks (tabs belong to the words). Every word has
// its environment references replaced. Nothing when there is no program
// word, a reference cannot be replaced, the program's base name is empty,
// or more than kMaxExecuteWords words follow the program.
std::optional<ExecuteCommand> buildExecuteCommand(std::string_view command, std::string_view outputPath);

inline constexpr size_t kMaxExecuteWords = 29;

}  // namespace comptab
