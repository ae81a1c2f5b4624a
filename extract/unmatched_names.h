// Property names the resource file or the command line asks for that no
// component of a table has: a misspelt or wrongly cased name otherwise
// gives an empty column, a sort that sorts nothing or one line for every
// part, without a word.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

namespace comptab {

class NameCensus;

struct UnmatchedName {
  std::string key;    // "package", "-p:package", "sortKey", ...
  unsigned line = 0;  // the key's line in the resource file; 0 for an option
  std::string name;
  std::string closest;  // the closest name that occurs; empty when none is close

  // `path`: the resource file. "path:3: package: no component has "value";
  // did you mean "Value"?"
  std::string text(const std::string& path) const;
};

// Where a table's names are asked for: the package property (empty when
// there is no grouping by one) and whether the search terms filter rows.
struct NameUse {
  const std::string* packageProperty = nullptr;
  bool packageFromOption = false;
  bool termsFilter = false;
};

// The names of `settings` (and `use`) that neither a component of the
// table (`census`) nor the computed columns carry, each once, in the order
// of the keys; none when the table had no components.
std::vector<UnmatchedName> unmatchedNames(const Settings& settings, const NameUse& use, const NameCensus& census);

}  // namespace comptab
