#include "output/execute_command.h"

#include "platform/support/environment.h"
#include "platform/support/path.h"

namespace comptab {

std::optional<ExecuteCommand> buildExecuteCommand(std::string_view command, std::string_view outputPath) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < command.size()) {
    while (i < command.size() && command[i] == ' ') ++i;
    const size_t start = i;
    while (i < command.size() && command[i] != ' ') ++i;
    if (i > start) words.push_back(command.substr(start, i - start));
  }
  if (words.empty() || words.size() - 1 > kMaxExecuteWords) return std::nullopt;

  ExecuteCommand result;
  auto program = substituteEnv(words.front());
  if (!program) return std::nullopt;
  result.program = std::move(*program);
  std::string base = baseName(result.program);
  if (base.empty() || result.program.back() == '/') return std::nullopt;
  result.args.push_back(std::move(base));
  for (size_t w = 1; w < words.size(); ++w) {
    auto word = substituteEnv(words[w]);
    if (!word) return std::nullopt;
    result.args.push_back(std::move(*word));
  }
  result.args.emplace_back(outputPath);
  return result;
}

}  // namespace comptab
