#include "extract/unmatched_names.h"

#include <gtest/gtest.h>

#include "table/name_census.h"

namespace comptab {
namespace {

NameCensus kicadNames() {
  NameCensus census;
  size_t place = 0;
  for (const char* name : {"reference", "Value", "Footprint", "Datasheet", "DNP", "partName"})
    census.add(place++, name);
  return census;
}

std::vector<std::string> texts(const std::vector<UnmatchedName>& found) {
  std::vector<std::string> out;
  for (const UnmatchedName& name : found) out.push_back(name.text("bom.rsc"));
  return out;
}

TEST(UnmatchedNames, EachKeyNamesWhatNoComponentHasWithTheClosestName) {
  const NameCensus census = kicadNames();
  Settings s;
  s.keyLines = {.package = 3, .sortKey = 4, .formatTable = 5, .headerAlias = 9, .termTable = 11};
  s.packageAlso = {"footprint"};
  s.sortKey = {"reference", "refrence"};
  // Computed columns count as present, fixed-text columns are no names; a
  // name asked twice is told once.
  for (const char* name : {"_REFCOUNT", "value", "_QTY", "dnp", "Value", "value", "qqqqqqqq", "%0", "%9"})
    s.format.push_back({.property = name});
  s.headerAliases = {{"_ZONE", "Zone"}, {"Datashet", "Sheet"}};
  s.terms = {{"componentType", "parts"}, {"Typ", "x"}};
  const std::string package = "value";
  const std::vector<std::string> expected = {
      "bom.rsc:3: package: no component has \"value\"; did you mean \"Value\"?",
      "bom.rsc:3: package: no component has \"footprint\"; did you mean \"Footprint\"?",
      "bom.rsc:4: sortKey: no component has \"refrence\"; did you mean \"reference\"?",
      "bom.rsc:5: formatTable: no component has \"value\"; did you mean \"Value\"?",
      "bom.rsc:5: formatTable: no component has \"dnp\"; did you mean \"DNP\"?",
      "bom.rsc:5: formatTable: no component has \"qqqqqqqq\"",
      "bom.rsc:9: headerAlias: no component has \"Datashet\"; did you mean \"Datasheet\"?",
      "bom.rsc:11: termTable: no component has \"Typ\"",
  };
  EXPECT_EQ(texts(unmatchedNames(s, {.packageProperty = &package, .termsFilter = true}, census)), expected);

  // The search terms count only where they filter; a package name from
  // the command line is told as the option; without package no package
  // names are read at all.
  s.sortKey.clear();
  s.format.clear();
  s.headerAliases.clear();
  EXPECT_EQ(
      texts(unmatchedNames(s, {.packageProperty = &package, .packageFromOption = true}, census)),
      (std::vector<std::string>{"-p:package: no component has \"value\"; did you mean \"Value\"?",
                                "bom.rsc:3: package: no component has \"footprint\"; did you mean \"Footprint\"?"}));
  const std::string none;
  EXPECT_TRUE(unmatchedNames(s, {.packageProperty = &none}, census).empty());
  // No component, no slip to tell.
  EXPECT_TRUE(unmatchedNames(s, {.packageProperty = &package}, NameCensus()).empty());
}

TEST(UnmatchedNames, ClosestNameIgnoresCaseFirstThenCountsEdits) {
  NameCensus census;
  // A name seen again at its place, or at another, is counted once.
  for (const char* name : {"VALUE", "Value", "valve", "Footprint", "Value"}) census.add(1, name);
  census.add(0, "Footprint");
  EXPECT_EQ(census.size(), 4u);
  EXPECT_EQ(closestName("value", census, {}), "VALUE");  // case-only, then alphabetical
  EXPECT_EQ(closestName("Footprnt", census, {}), "Footprint");
  EXPECT_EQ(closestName("xyz", census, {}), "");
  EXPECT_EQ(closestName("_REFCONT", census, {"_REFCOUNT"}), "_REFCOUNT");
}

}  // namespace
}  // namespace comptab
