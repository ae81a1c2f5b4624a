#include "platform/support/parameter_set.h"

#include <string_view>

#include "platform/support/text.h"

namespace comptab {

namespace {

bool isOptionWord(std::string_view word) {
  if (word.size() < 2 || word[0] != '-') return false;
  const char c = word[1];
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
}

bool startsWithNoCase(std::string_view word, std::string_view prefix) {
  return word.size() >= prefix.size() && equalsNoCase(word.substr(0, prefix.size()), prefix);
}

}  // namespace

ParameterSet::ParameterSet(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i] != nullptr ? argv[i] : "";
    if (!isOptionWord(word)) {
      if (!target_)
        target_ = std::string(word);
      else
        parameters_.push_back({Parameter::Surplus, std::string(word), std::nullopt});
      continue;
    }
    Parameter p;
    p.name = std::string(word);
    bool takesValue = true;
    if (word == "-V") {
      p.kind = Parameter::Version;
      takesValue = false;
    } else if (equalsNoCase(word, "-output")) {
      p.kind = Parameter::Output;
    } else if (equalsNoCase(word, "-mode")) {
      p.kind = Parameter::Mode;
    } else if (startsWithNoCase(word, "-p:")) {
      p.kind = Parameter::Named;
      p.name = std::string(word.substr(3));
      // comptab's own switches stand alone: the word after them is the target.
      takesValue = !equalsNoCase(p.name, "strict") && !equalsNoCase(p.name, "bom");
    } else {
      p.kind = word[1] == '-' ? Parameter::LongOption : Parameter::UnknownSwitch;
      takesValue = false;
    }
    if (takesValue && i + 1 < argc && argv[i + 1] != nullptr && !isOptionWord(argv[i + 1])) p.value = argv[++i];
    parameters_.push_back(std::move(p));
  }
}

}  // namespace comptab
