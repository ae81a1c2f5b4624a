// The command line as a list of parameters. The shell has already split
// the words; each word is classified in order:
//
//   "-V"                         kind 1, the version switch
//   "-output" [value]            kind 6
//   "-mode" [value]              kind 7
//   "-p:NAME" [value]            kind 10, named parameter NAME
//   "--WORD"                     kind 3, a long option (not ours)
//   any other "-WORD"            kind 2, an unknown switch
//   the first plain word         the target
//   every later plain word       kind 9, a surplus word
//
// An option word starts with '-' followed by a letter or '-'; "-", "-1" or
// "-.txt" are plain words. The word after -output, -mode or -p:NAME is its
// value unless it is itself an option word; the value is absent then.
// Option names compare ignoring case, except "-V".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace comptab {

struct Parameter {
  enum Kind { Version = 1, UnknownSwitch = 2, LongOption = 3, Output = 6, Mode = 7, Surplus = 9, Named = 10 };
  int kind = 0;
  std::string name;                  // the NAME of -p:NAME; the word itself otherwise
  std::optional<std::string> value;  // absent when no value followed
};

class ParameterSet {
 public:
  // argv[0] is the program name and is skipped.
  ParameterSet(int argc, const char* const* argv);

  const std::vector<Parameter>& parameters() const { return parameters_; }
  const std::optional<std::string>& target() const { return target_; }

 private:
  std::vector<Parameter> parameters_;
  std::optional<std::string> target_;
};

}  // namespace comptab
