// The data resource "kordata": how design coordinates turn into user units,
// and where the component library database (KCDB) lives. A TOML file:
//
//   unitsPerUserUnit = 1000          # required, an integer > 0
//   kcdb = "../library/kcdb.db"      # optional; "" or absent: no KCDB
//
// A relative kcdb path is taken from the directory of the data resource
// itself; a leading "$CIR" stands for the design directory, and $NAME or
// ${NAME} for environment variables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace comptab {

class DataResource {
 public:
  // The one open mode: the program only reads data resources.
  static constexpr int kReadOnly = 2;

  // Null when the file cannot be read, is not valid TOML, or holds a wrong
  // value; then `reason` (when given) gets one line naming the file and
  // what was wrong. `designDir` is what "$CIR" stands for.
  static std::unique_ptr<DataResource> open(const std::string& path, int mode, const std::string& designDir,
                                            std::string* reason = nullptr);

  // A design coordinate in user units.
  double decode(int32_t v) const { return static_cast<double>(v) / unitsPerUserUnit_; }
  int32_t unitsPerUserUnit() const { return unitsPerUserUnit_; }

  // The KCDB's path in normal form; empty when the file names none, and
  // also when its name could not be expanded: then `reason` (when given)
  // says why, and is left alone otherwise. The name is expanded while
  // opening, but only a run that asks for the KCDB reports the problem.
  const std::string& kcdbPath(std::string* reason = nullptr) const;

  const std::string& path() const { return path_; }

 private:
  DataResource() = default;

  std::string path_;
  int32_t unitsPerUserUnit_ = 1;
  std::string kcdbPath_;
  std::string kcdbProblem_;
};

}  // namespace comptab
