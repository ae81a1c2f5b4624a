// The line that "-V" prints.
#pragma once

#include <cstdio>
#include <string>

namespace comptab {

class VersionBanner {
 public:
  void setProgramName(std::string name) { program_ = std::move(name); }
  void setVersion(std::string version) { version_ = std::move(version); }
  void setDate(std::string date) { date_ = std::move(date); }
  // "<program> <version> (<date>)" and a line end, on standard output.
  void print(FILE* stream = stdout) const;

 private:
  std::string program_;
  std::string version_;
  std::string date_;
};

}  // namespace comptab
