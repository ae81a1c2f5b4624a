// The number forms KiCad's simulation fields use. Older schematics wrote
// SPICE notation ("10meg", "1e10", "2.5MEG"); KiCad 7 and later keep the
// SI form ("10M", "10G") in Sim.Params, and rewrite a legacy model's
// numbers into it when it loads the file.
#pragma once

#include <string>
#include <string_view>

namespace comptab {

// A model parameter written in SPICE notation as KiCad stores it: a plain
// decimal ("0.5", "100") stays as written; any other number is rebuilt
// from its value with the nearest SI prefix below it ("10meg" -> "10M",
// "1e10" -> "10G", "2f" -> "2000a"); text that is no number stays as it is.
std::string kicadSpiceToSi(std::string_view value);

// KiCad's first pass over a legacy model text: "Meg" or "MEG" after a
// non-letter and before a non-lowercase letter becomes "M", so "1Meg"
// reads as 1M (SPICE would read the "M" that is left as milli).
std::string kicadDropMeg(std::string_view text);

}  // namespace comptab
