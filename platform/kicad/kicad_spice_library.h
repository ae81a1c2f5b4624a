// The models of a SPICE library file, as far as KiCad needs them when it
// turns a legacy "Spice_Lib_File" field into Sim.Library and Sim.Name:
// whether it can read the library, the files it includes, and the pins of
// each model it defines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace comptab {

struct KicadSpiceModel {
  bool subcircuit = false;
  // A subcircuit's ports as its .subckt line names them; for a device
  // model the pins KiCad gives that device ("A", "K" for a diode); none
  // for a resistor, capacitor or inductor model, or a type KiCad does not
  // know.
  std::vector<std::string> pins;
  // False when KiCad reported a fault while it read the library that
  // holds the model (an included file missing, unreadable or unparsable):
  // it then keeps the symbol a raw SPICE element, yet with this model's
  // pins.
  bool libraryClean = true;
};

// One file of a library, its includes not followed.
class KicadSpiceLibrary {
 public:
  // Nullopt where KiCad fails on the whole file: a .model without a type.
  static std::optional<KicadSpiceLibrary> parse(std::string_view text);
  // By name, in any case (SPICE names are case-blind); null if none. The
  // first definition of a name counts.
  const KicadSpiceModel* find(std::string_view name) const;

  struct Include {
    std::string path;     // as written, quotes taken off
    size_t modelsBefore;  // how many of models() come before the line
  };
  // The models in file order, each under its lower-case name.
  const std::vector<std::pair<std::string, KicadSpiceModel>>& models() const { return models_; }
  // Its .include lines in file order (those inside a .subckt body aside).
  const std::vector<Include>& includes() const { return includes_; }

 private:
  std::vector<std::pair<std::string, KicadSpiceModel>> models_;
  std::unordered_map<std::string, size_t> byName_;  // into models_, first definition
  std::vector<Include> includes_;
};

// The libraries a design's legacy fields name, with the files they
// include, each file read once.
class KicadSpiceLibraries {
 public:
  explicit KicadSpiceLibraries(std::string projectDir) : projectDir_(std::move(projectDir)) {}
  // `library` as the field gives it: relative to the project folder,
  // absolute, or under ${KIPRJMOD}. Null when the file is missing or
  // unreadable, KiCad could not parse it, or neither it nor a file it
  // includes has such a model.
  const KicadSpiceModel* find(std::string_view library, std::string_view model);

 private:
  using Models = std::unordered_map<std::string, KicadSpiceModel>;  // by lower-case name
  const std::optional<KicadSpiceLibrary>& file(const std::string& path);
  // Adds the models of `path` and of the files it includes; false on any
  // fault KiCad would report below it.
  bool merge(const std::string& path, int depth, std::vector<std::string>& open,
             std::unordered_set<std::string>& merged, Models& models);
  std::string includedPath(std::string_view written, const std::string& includingFile) const;

  std::string projectDir_;
  std::unordered_map<std::string, std::optional<KicadSpiceLibrary>> files_;  // by packed path
  std::unordered_map<std::string, Models> libraries_;                        // by packed path
};

}  // namespace comptab
