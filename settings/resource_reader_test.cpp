#include "settings/resource_reader.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/scratch_dir.h"

namespace comptab {
namespace {

using Strings = std::vector<std::string>;
using Keys = std::vector<std::pair<std::string, const char*>>;

// The four required keys with `changes` applied: a TOML value per key, null
// to leave the key out.
std::string resourceText(const Keys& changes) {
  std::map<std::string, const char*> keys = {
      {"separator", R"(",")"}, {"emptyCell", R"("-")"}, {"token", R"(",")"}, {"formatTable", R"([["reference", 8]])"}};
  for (const auto& [key, value] : changes) keys[key] = value;
  std::string text;
  for (const auto& [key, value] : keys)
    if (value) text += key + " = " + value + "\n";
  return text;
}

struct Outcome {
  bool ok = false;
  ReadFailure failure = ReadFailure::None;
  std::string path;
  std::string key;
  std::string parseError;
  Settings settings;
};

Outcome readAt(std::string path) {
  Outcome out;
  out.path = std::move(path);
  out.ok = readResource(out.settings, out.path, out.failure, out.key, out.parseError);
  return out;
}

class ResourceReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
  Outcome read(const Keys& changes) { return readAt(dir.write("r.rsc", resourceText(changes))); }
  ScratchDir dir;
};

// Defaults, and values taken though odd: a search mode without search terms
// is not looked at; an unknown line end is dropped so that the command line
// or the default decides.
TEST_F(ResourceReaderTest, DefaultsAndLenientValues) {
  const Outcome out = read({{"searchMode", R"(["not", "looked", "at"])"},
                            {"formatTable", R"([["r", 8, "yes"]])"},
                            {"destinationOutputMode", R"("TABLE")"},
                            {"endOfLineStyle", R"("cr")"}});
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ(s.resourceGiven, 1);
  EXPECT_EQ(s.quoteChar, "\"");
  EXPECT_EQ(s.formatQuoted, std::vector<int>{1});
  EXPECT_EQ(s.formatRight, std::vector<int>{0});
  EXPECT_TRUE(s.sortKey.empty() && s.termProperty.empty() && s.searchMode.empty() && s.endOfLineStyle.empty());
}

// One case for each rule a value can break, but for those that end-to-end
// cases break (separator too long, five format columns, a width beyond 32
// bits, search terms without a search mode).
TEST_F(ResourceReaderTest, BadValuesFailAtTheirKey) {
  const std::pair<Keys, const char*> cases[] = {
      {{{"separator", nullptr}}, "separator"},
      {{{"token", R"("")"}}, "token"},
      {{{"quoteChar", R"("''")"}}, "quoteChar"},
      {{{"output", "5"}}, "output"},
      {{{"sortKey", R"("reference")"}}, "sortKey"},
      {{{"formatTable", R"([["reference"]])"}}, "formatTable"},
      {{{"formatTable", R"([["r", "8"]])"}}, "formatTable"},
      {{{"formatTable", R"([["r", 8], ["v", 4, "yes"]])"}}, "formatTable"},
      {{{"formatTable", "[]"}}, "formatTable"},
      {{{"termTable", R"([["a", "b"]])"}, {"searchMode", R"("ao")"}}, "searchMode"},
      {{{"termTable", R"([["a", "b"]])"}, {"searchMode", "1"}}, "searchMode"},
      {{{"hierarchyLevel", R"("2")"}}, "hierarchyLevel"},
      {{{"noHeader", R"(["YES"])"}}, "noHeader"},
      {{{"destinationOutputMode", R"("comp")"}}, "destinationOutputMode"},
      {{{"headerAlias", R"(["reference"])"}}, "headerAlias"},
      {{{"endOfLineStyle", "1"}}, "endOfLineStyle"},
  };
  for (const auto& [keys, failingKey] : cases) {
    const Outcome out = read(keys);
    EXPECT_EQ(out.failure, ReadFailure::BadContent) << resourceText(keys);
    EXPECT_EQ(out.key, failingKey) << resourceText(keys);
  }
}

// All but the three strings around the table, which end-to-end cases show.
TEST_F(ResourceReaderTest, EveryKeyFillsItsOwnField) {
  const Outcome out = readAt(dir.write("all.rsc", R"(separator = ""
emptyCell = 7
token = ";"
quoteChar = "'"
formatTable = [["reference", 8, "YES", "Right"], ["%0", -1, "no", "left"]]
sortKey = ["partName", "reference"]
excludeType = ["POWER"]
termTable = [["partName", "74*"], ["reference", "U*"]]
searchMode = "o"
destination = ["BOARD", "_TOBOARD"]
fixedString = ["", "note"]
headerAlias = [["reference", "Ref"], ["partName", "Part"]]
destinationOutputMode = "Component"
endOfLineStyle = "CRLF"
hierarchyLevel = -3
output = "out.txt"
command = "cmd"
mergedProp = "*"
package = "value"
)"));
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ((Strings{s.separator, s.emptyCell, s.token, s.quoteChar, s.searchMode, s.endOfLineStyle, s.output,
                     s.command, s.mergedProp, s.package}),
            (Strings{"", "7", ";", "'", "o", "CRLF", "out.txt", "cmd", "*", "value"}));
  EXPECT_EQ((std::vector<Strings>{s.formatProperty, s.sortKey, s.excludeType, s.termProperty, s.termValue,
                                  s.destination, s.fixedString, s.aliasProperty, s.aliasText}),
            (std::vector<Strings>{{"reference", "%0"},
                                  {"partName", "reference"},
                                  {"POWER"},
                                  {"partName", "reference"},
                                  {"74*", "U*"},
                                  {"BOARD", "_TOBOARD"},
                                  {"", "note"},
                                  {"reference", "partName"},
                                  {"Ref", "Part"}}));
  EXPECT_EQ((std::vector<std::vector<int>>{s.formatWidth, s.formatQuoted, s.formatRight}),
            (std::vector<std::vector<int>>{{8, -1}, {1, 0}, {1, 0}}));
  EXPECT_EQ(s.destinationOutputMode, 1);
  EXPECT_EQ(s.hierarchyLevel, -3);
}

TEST_F(ResourceReaderTest, EachFlagSetsOnlyItsOwnFieldAndOnlyByTheWordYes) {
  const char* keys[] = {"forceOverwrite",    "alignSeparator", "noAdjust",         "useCompKind",     "usePropSpec",
                        "checkKCDBProperty", "checkOpenGate",  "referencePackage", "partNamePackage", "noHeader"};
  int Settings::*fields[] = {&Settings::forceOverwrite, &Settings::alignSeparator,   &Settings::noAdjust,
                             &Settings::useCompKind,    &Settings::usePropSpec,      &Settings::checkKCDBProperty,
                             &Settings::checkOpenGate,  &Settings::referencePackage, &Settings::partNamePackage,
                             &Settings::noHeader};
  for (size_t i = 0; i < std::size(keys); ++i) {
    const Outcome out = read({{keys[i], R"("yEs")"}});
    for (size_t j = 0; j < std::size(fields); ++j) EXPECT_EQ(out.settings.*fields[j], i == j ? 1 : 0) << keys[i];
  }
  EXPECT_EQ(read({{"noAdjust", R"("no")"}}).settings.noAdjust, 0);
}

// No end-to-end case finds the suite's own file by the search.
TEST_F(ResourceReaderTest, SearchFindsThePersonalFileThenTheSystemFile) {
  ::setenv("HOME", dir.file("home/.").c_str(), 1);
  ::setenv("KDXROOT", dir.file("suite/").c_str(), 1);
  ::unsetenv("KDXLANG");
  const std::string system = dir.write("suite/system/eng/comptab.rsc", resourceText({}));
  Outcome out = readAt("");
  EXPECT_TRUE(out.ok) << out.key;
  EXPECT_EQ(out.path, system);
  EXPECT_EQ(out.settings.resourceGiven, 0);

  // A bad personal file shows that it is read instead of the good system one.
  dir.write("home/halden/dx/comptab.rsc", resourceText({{"token", nullptr}}));
  out = readAt("");
  EXPECT_EQ(out.path, dir.file("home/halden/dx/comptab.rsc"));
  EXPECT_EQ(out.key, "token");
}

// The shipped resource files, and the first example of each document that
// shows a whole resource file.
TEST(ShippedResourceFiles, LoadWithoutErrors) {
  const std::string root = COMPTAB_SOURCE_ROOT;
  const ScratchDir dir;
  std::vector<std::string> paths = {root + "/suite/system/eng/comptab.rsc", root + "/examples/list.rsc"};
  for (const char* doc : {"resource-file.md", "table-output.md"}) {
    std::ifstream in(root + "/docs/" + doc);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t begin = text.find("```toml\n");
    ASSERT_NE(begin, std::string::npos) << doc;
    paths.push_back(dir.write(doc, text.substr(begin + 8, text.find("```", begin + 8) - begin - 8)));
  }
  for (const std::string& path : paths) {
    const Outcome out = readAt(path);
    EXPECT_TRUE(out.ok) << path << ": " << out.key << " " << out.parseError;
  }
}

}  // namespace
}  // namespace comptab
