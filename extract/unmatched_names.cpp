#include "extract/unmatched_names.h"

#include <algorithm>
#include <string_view>

#include "platform/support/text.h"
#include "table/name_census.h"

namespace comptab {

namespace {

// The columns comptab computes (docs/computed-columns.md): present whether
// or not a component of this table makes them, since a key may name them
// for the tables and modes that do.
const std::vector<std::string_view>& computedNames() {
  static const std::vector<std::string_view> names = {
      "id",        "sheetNumber", "componentType", "componentKind", "bitCount", "symbolName", "pathNumber",   "color",
      "positionX", "positionY",   "_ZONE",         "angle",         "scale",    "mirror",     "dispContents", "_REFH",
      "_REFN",     "_HLEV",       "_HID",          "sheetId",       "_TOBOARD", "_DEST",      "_GCOUNT",      "_GATENO",
      "_HASPOWER", "_NILR_",      "_REFCOUNT",     "_QTY",          "isvGate"};
  return names;
}

bool present(std::string_view name, const NameCensus& census) {
  const auto& computed = computedNames();
  return census.has(name) || std::find(computed.begin(), computed.end(), name) != computed.end();
}

class Collector {
 public:
  Collector(const NameCensus& census, std::vector<UnmatchedName>& out) : census_(census), out_(out) {}
  void check(const char* key, unsigned line, const std::string& name) {
    // "%0" in formatTable is a fixed-text column, no property.
    if (present(name, census_) || (key == std::string_view("formatTable") && name.starts_with('%'))) return;
    for (const UnmatchedName& seen : out_)
      if (seen.key == key && seen.name == name) return;
    out_.push_back({key, line, name, closestName(name, census_, computedNames())});
  }
  void check(const char* key, unsigned line, const std::vector<std::string>& names) {
    for (const std::string& name : names) check(key, line, name);
  }

 private:
  const NameCensus& census_;
  std::vector<UnmatchedName>& out_;
};

}  // namespace

std::string UnmatchedName::text(const std::string& path) const {
  std::string where = line != 0 ? strprintf("%s:%u: ", path.c_str(), line) : std::string();
  std::string result = strprintf("%s%s: no component has \"%s\"", where.c_str(), key.c_str(), name.c_str());
  if (!closest.empty()) result += strprintf("; did you mean \"%s\"?", closest.c_str());
  return result;
}

std::vector<UnmatchedName> unmatchedNames(const Settings& s, const NameUse& use, const NameCensus& census) {
  std::vector<UnmatchedName> out;
  // A table without components has no names to tell a slip by.
  if (census.size() == 0) return out;
  Collector names(census, out);
  const NameKeyLines& lines = s.keyLines;
  if (use.packageProperty != nullptr && !use.packageProperty->empty()) {
    if (use.packageFromOption)
      names.check("-p:package", 0, *use.packageProperty);
    else
      names.check("package", lines.package, *use.packageProperty);
    // The names after the first of a package list join packageAlso; a file
    // with both keys has its further names told under packageAlso.
    if (lines.packageAlso != 0)
      names.check("packageAlso", lines.packageAlso, s.packageAlso);
    else
      names.check("package", lines.package, s.packageAlso);
  }
  names.check("sortKey", lines.sortKey, s.sortKey);
  for (const FormatColumn& column : s.format) names.check("formatTable", lines.formatTable, column.property);
  for (const HeaderAlias& alias : s.headerAliases) names.check("headerAlias", lines.headerAlias, alias.property);
  if (use.termsFilter)
    for (const SearchTerm& term : s.terms) names.check("termTable", lines.termTable, term.property);
  return out;
}

}  // namespace comptab
