// The models of a SPICE library file, as far as KiCad needs them when it
// turns a legacy "Spice_Lib_File" field into Sim.Library and Sim.Name:
// whether it can read the library, and the pins of each model it defines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace comptab {

struct KicadSpiceModel {
  bool subcircuit = false;
  // A subcircuit's ports as its .subckt line names them; for a device
  // model the pins KiCad gives that device ("A", "K" for a diode); none
  // for a resistor, capacitor or inductor model.
  std::vector<std::string> pins;
};

class KicadSpiceLibrary {
 public:
  // Nullopt where KiCad fails on the whole library: a .model without a
  // name or type, of a type KiCad does not know, or with its parentheses
  // unbalanced.
  static std::optional<KicadSpiceLibrary> parse(std::string_view text);
  // By name, in any case (SPICE names are case-blind); null if none.
  const KicadSpiceModel* find(std::string_view name) const;

 private:
  std::unordered_map<std::string, KicadSpiceModel> models_;  // by lower-case name
};

// The libraries a design's legacy fields name, each file read once.
class KicadSpiceLibraries {
 public:
  explicit KicadSpiceLibraries(std::string projectDir) : projectDir_(std::move(projectDir)) {}
  // `library` as the field gives it: relative to the project folder,
  // absolute, or under ${KIPRJMOD}. Null when the file is missing or
  // unreadable, KiCad could not parse it, or it has no such model.
  const KicadSpiceModel* find(std::string_view library, std::string_view model);

 private:
  std::string projectDir_;
  std::unordered_map<std::string, std::optional<KicadSpiceLibrary>> read_;
};

}  // namespace comptab
