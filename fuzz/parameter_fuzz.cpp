// The parameter parser, over words split from the bytes at NUL and newline.
#include <string>
#include <vector>

#include "platform/support/parameter_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words{"comptab"};
  std::string word;
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\0' || c == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(word);
  std::vector<const char*> argv;
  for (const auto& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  const comptab::ParameterSet parameters(static_cast<int>(words.size()), argv.data());
  for (const auto& parameter : parameters.parameters()) (void)parameter.name.size();
  return 0;
}
