#include "settings/resource_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/support/scratch_dir.h"

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

struct Outcome : ResourceOutcome {
  Settings settings;
};

Outcome readAt(std::string path) {
  Outcome out;
  static_cast<ResourceOutcome&>(out) = readResource(out.settings, path);
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
  ASSERT_TRUE(out.ok()) << out.currentKey;
  const Settings& s = out.settings;
  EXPECT_TRUE(s.resourceGiven);
  EXPECT_EQ(s.quoteChar, "\"");
  ASSERT_EQ(s.format.size(), 1u);
  EXPECT_TRUE(s.format[0].quoted);
  EXPECT_EQ(s.format[0].alignment, Alignment::Left);
  EXPECT_TRUE(s.sortKey.empty() && s.terms.empty() && s.searchMode.empty() && s.endOfLineStyle.empty());
}

// One case for each rule a value can break, but for those that end-to-end
// cases break (separator missing or too long, a token that is a table,
// five format columns, a width beyond 32 bits, search terms without a
// search mode).
TEST_F(ResourceReaderTest, BadValuesFailAtTheirKey) {
  const std::pair<Keys, const char*> cases[] = {
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
    EXPECT_EQ(out.currentKey, failingKey) << resourceText(keys);
  }
}

// The line after 38621: where the key is, the form it must have, what was
// found. Keys are written in name order, so emptyCell is on line 1.
TEST_F(ResourceReaderTest, RefusedKeysSayWhereAndWhatToWrite) {
  const std::pair<Keys, const char*> cases[] = {
      {{{"emptyCell", R"("--")"}}, ":1: emptyCell must be a text of at most one character; found the text \"--\""},
      {{{"formatTable", R"([["r", "8"], ["v", 4]])"}}, ":2: formatTable must be a list of lists of two to four elements"},
      {{{"formatTable", R"([["r", 8], ["v", "4"]])"}}, "found the width the text \"4\" in row 2"},
      {{{"hierarchyLevel", "1.5"}}, ":3: hierarchyLevel must be an integer, such as -1; found 1.5"},
      {{{"headerAlias", R"({ a = 1 })"}}, "found an inline table, a [section] or lists of unequal length"},
      {{{"token", nullptr}}, ": the required key token is missing; add a line such as token = \",\""},
  };
  for (const auto& [keys, reason] : cases) {
    const Outcome out = read(keys);
    EXPECT_NE(out.keyReason.find(reason), std::string::npos)
        << resourceText(keys) << "gave: " << out.keyReason;
  }
}

// Slips that do not stop the run but lose a setting: each gets a note.
TEST_F(ResourceReaderTest, NotesNameMisspeltKeysAndSwitchesAndTypes) {
  const Outcome out = read({{"sortkey", R"(["reference"])"},
                            {"seperator", R"(",")"},
                            {"xyzzy", "1"},
                            {"noHeader", "true"},
                            {"noAdjust", R"("YES")"},
                            {"excludeType", R"(["POWER", "ground", "type201", "Gates"])"},
                            {"zsettings", R"({ sortKey = ["value"] })"}});
  ASSERT_TRUE(out.ok()) << out.currentKey;
  const Strings tails = {
      "excludeType \"POWER\" is not a component type name and excludes nothing; did you mean power?",
      "noHeader = true counts as off: a switch is on only with the text \"YES\"",
      "the key \"seperator\" is not one comptab reads and has no effect; did you mean separator?",
      "the key \"sortkey\" is not one comptab reads and has no effect; did you mean sortKey?",
      "the key \"xyzzy\" is not one comptab reads and has no effect",
      "excludeType \"Gates\" is not a component type name and excludes nothing; did you mean gate?",
      "the key \"zsettings\" is not one comptab reads and has no effect; it is a table, and comptab reads only the "
      "keys above every [section]",
  };
  Strings got;
  for (const std::string& note : out.notes) got.push_back(note.substr(note.find(": ") + 2));
  std::sort(got.begin(), got.end());
  Strings want = tails;
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want);
}

// The keys and value forms that no end-to-end resource file holds.
TEST_F(ResourceReaderTest, KeysTheEndToEndCasesDoNotSet) {
  const Outcome out = read({{"emptyCell", "7"},
                            {"formatTable", R"([["reference", 8, "YES", "Right"], ["%0", -1, "no", "left"]])"},
                            {"destinationOutputMode", R"("Component")"},
                            {"hierarchyLevel", "-3"},
                            {"command", R"("cmd")"},
                            {"mergedProp", R"("*")"},
                            {"package", R"("value")"}});
  ASSERT_TRUE(out.ok()) << out.currentKey;
  const Settings& s = out.settings;
  EXPECT_EQ((Strings{s.emptyCell, s.command, s.mergedProp, s.package}), (Strings{"7", "cmd", "*", "value"}));
  ASSERT_EQ(s.format.size(), 2u);
  EXPECT_EQ((std::vector<int>{s.format[0].width, s.format[1].width}), (std::vector<int>{8, -1}));
  EXPECT_EQ((std::vector<bool>{s.format[0].quoted, s.format[1].quoted}), (std::vector<bool>{true, false}));
  EXPECT_EQ((std::vector<Alignment>{s.format[0].alignment, s.format[1].alignment}),
            (std::vector<Alignment>{Alignment::Right, Alignment::Left}));
  EXPECT_EQ(s.destinationOutputMode, DestinationOutput::Component);
  EXPECT_EQ(s.hierarchyLevel, -3);
}

TEST_F(ResourceReaderTest, EachFlagSetsOnlyItsOwnFieldAndOnlyByTheWordYes) {
  const char* keys[] = {"forceOverwrite",    "alignSeparator", "noAdjust",         "useCompKind",     "usePropSpec",
                        "checkKCDBProperty", "checkOpenGate",  "referencePackage", "partNamePackage", "noHeader"};
  bool Settings::*fields[] = {&Settings::forceOverwrite, &Settings::alignSeparator,   &Settings::noAdjust,
                              &Settings::useCompKind,    &Settings::usePropSpec,      &Settings::checkKCDBProperty,
                              &Settings::checkOpenGate,  &Settings::referencePackage, &Settings::partNamePackage,
                              &Settings::noHeader};
  for (size_t i = 0; i < std::size(keys); ++i) {
    const Outcome out = read({{keys[i], R"("yEs")"}});
    for (size_t j = 0; j < std::size(fields); ++j) EXPECT_EQ(out.settings.*fields[j], i == j) << keys[i];
  }
  EXPECT_FALSE(read({{"noAdjust", R"("no")"}}).settings.noAdjust);
}

// comptab's own keys: their defaults change nothing, each value form is
// read, and a wrong one fails at its key like any other.
TEST_F(ResourceReaderTest, OwnKeys) {
  const Settings defaults = read({}).settings;
  EXPECT_EQ(defaults.tableFormat, TableFormat::Text);
  EXPECT_EQ((Strings{defaults.fieldSeparator, defaults.rangeChar}), (Strings{",", "-"}));
  EXPECT_TRUE(defaults.packageAlso.empty() && defaults.sortDescending.empty() && defaults.sortByValue.empty());

  const Outcome out = read({{"tableFormat", R"("CSV")"},
                            {"fieldSeparator", R"(";")"},
                            {"keepTableTexts", R"("yes")"},
                            {"package", R"(["value", "footprint"])"},
                            {"packageAlso", R"(["partName"])"},
                            {"referenceRanges", R"("YES")"},
                            {"rangeChar", R"("..")"},
                            {"sortDescending", R"(["value"])"},
                            {"sortByValue", R"(["value", "power"])"}});
  ASSERT_TRUE(out.ok()) << out.currentKey;
  const Settings& s = out.settings;
  EXPECT_EQ(s.tableFormat, TableFormat::Csv);
  EXPECT_EQ((Strings{s.fieldSeparator, s.package, s.rangeChar}), (Strings{";", "value", ".."}));
  EXPECT_EQ(s.packageAlso, (Strings{"footprint", "partName"}));
  EXPECT_TRUE(s.keepTableTexts && s.referenceRanges);
  EXPECT_EQ(s.sortDescending, Strings{"value"});
  EXPECT_EQ(s.sortByValue, (Strings{"value", "power"}));
  EXPECT_EQ(read({{"tableFormat", R"("tsv")"}}).settings.tableFormat, TableFormat::Tsv);

  const std::pair<Keys, const char*> bad[] = {
      {{{"tableFormat", R"("xlsx")"}}, "tableFormat"},
      {{{"fieldSeparator", R"("")"}}, "fieldSeparator"},
      {{{"package", "[]"}}, "package"},
      {{{"package", R"([["value", "x"]])"}}, "package"},
      {{{"packageAlso", R"("footprint")"}}, "packageAlso"},
      {{{"rangeChar", R"("")"}}, "rangeChar"},
      {{{"sortDescending", R"("value")"}}, "sortDescending"},
      {{{"sortByValue", R"([])"}}, "sortByValue"},
  };
  for (const auto& [keys, failingKey] : bad) {
    const Outcome failed = read(keys);
    EXPECT_EQ(failed.failure, ReadFailure::BadContent) << resourceText(keys);
    EXPECT_EQ(failed.currentKey, failingKey) << resourceText(keys);
    // Every key says what it must be, on its own line of the file.
    EXPECT_NE(failed.keyReason.find(std::string(failingKey) + " must be "), std::string::npos) << failed.keyReason;
  }
}

// Every example of the documents that shows a whole resource file; the
// shipped ones are run end to end.
TEST(DocumentedResourceFiles, LoadWithoutErrors) {
  const std::string root = COMPTAB_SOURCE_ROOT;
  const ScratchDir dir;
  for (const char* doc : {"resource-file.md", "table-output.md"}) {
    std::ifstream in(root + "/docs/" + doc);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t begin = text.find("```toml\n");
    ASSERT_NE(begin, std::string::npos) << doc;
    for (; begin != std::string::npos; begin = text.find("```toml\n", begin + 8)) {
      const Outcome out = readAt(dir.write(doc, text.substr(begin + 8, text.find("```", begin + 8) - begin - 8)));
      EXPECT_TRUE(out.ok()) << doc << " at " << begin << ": " << out.currentKey << " " << out.parseError;
      EXPECT_EQ(out.notes, Strings{}) << doc << " at " << begin;
    }
  }
}

}  // namespace
}  // namespace comptab
