// The simulation fields of a placed symbol as KiCad holds them once it has
// loaded the file. KiCad 6 wrote a symbol's SPICE model in legacy fields
// (Spice_Primitive, Spice_Model, Spice_Node_Sequence, Spice_Lib_File) or
// in its Value; KiCad 7 and later keep it in Sim.Device, Sim.Type,
// Sim.Params, Sim.Pins, Sim.Library and Sim.Name, and rewrite the legacy
// form into these on every load (a KiCad 10 file with legacy fields too).
// The rewrite may put a source's value or "${SIM.PARAMS}" into Value.
// docs/kicad.md gives the rules.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "platform/kicad/kicad_design.h"

namespace comptab {

struct KicadSpiceModel;

struct KicadSimSymbol {
  std::string_view reference;  // its letters decide whether Value holds a model
  std::vector<std::string_view> pins;  // the pin numbers of its unit, any order
};

// A model of a library a legacy field names; null when KiCad could not
// load it (no such file or model, a library it cannot parse).
using KicadSpiceModelFinder = std::function<const KicadSpiceModel*(std::string_view library, std::string_view model)>;

// Rewrites `fields` (Reference, Value, Footprint, Datasheet, Description,
// then the user fields in file order) as KiCad does on load: fields it
// drops leave the list, fields it adds go to its end.
void migrateKicadSimFields(std::vector<KicadNamedValue>& fields, const KicadSimSymbol& symbol,
                           const KicadSpiceModelFinder& findModel);

// KiCad reads two older fields as the symbol's "exclude from simulation"
// flag and drops them: Spice_Netlist_Enabled ("N" excludes) and
// Sim.Enable ("0" excludes). True when `name` is one of them, with
// `excluded` set from `value`.
bool kicadSimEnableField(std::string_view name, std::string_view value, bool& excluded);

}  // namespace comptab
