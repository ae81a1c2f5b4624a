#include "settings/resource_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/scratch_dir.h"

namespace comptab {
namespace {

using Strings = std::vector<std::string>;
using Keys = std::vector<std::pair<std::string, const char*>>;

// Sets (or, given null, unsets) a variable for the test's lifetime.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1);
    if (!value) ::unsetenv(name);
  }
  ~EnvOverride() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    if (!old_) ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The four required keys, with `changes` applied: a key already there gets
// the new TOML value (null drops it), any other key is added.
std::string resourceText(const Keys& changes) {
  Keys keys = {
      {"separator", R"(",")"}, {"emptyCell", R"("-")"}, {"token", R"(",")"}, {"formatTable", R"([["reference", 8]])"}};
  for (const auto& change : changes) {
    const auto at = std::find_if(keys.begin(), keys.end(), [&](const auto& key) { return key.first == change.first; });
    if (at != keys.end()) {
      at->second = change.second;
    } else {
      keys.push_back(change);
    }
  }
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

TEST_F(ResourceReaderTest, OnlyRequiredKeysLeaveTheDefaults) {
  const Outcome out = read({});
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ(out.failure, ReadFailure::None);
  EXPECT_EQ(s.resourceGiven, 1);
  EXPECT_EQ(s.token, ",");
  EXPECT_EQ(s.quoteChar, "\"");
  EXPECT_EQ(s.formatQuoted, std::vector<int>{0});
  EXPECT_EQ(s.formatRight, std::vector<int>{0});
  EXPECT_EQ(s.hierarchyLevel, -1);
  EXPECT_TRUE(s.sortKey.empty() && s.termProperty.empty() && s.searchMode.empty() && s.endOfLineStyle.empty());
}

// One case for each rule a value can break, and each required key missing.
TEST_F(ResourceReaderTest, BadValuesFailAtTheirKey) {
  struct Case {
    Keys keys;
    const char* failingKey;
  };
  const Case cases[] = {
      {{{"separator", R"(",;")"}}, "separator"},
      {{{"separator", nullptr}}, "separator"},
      {{{"separator", R"([","])"}}, "separator"},
      {{{"emptyCell", nullptr}}, "emptyCell"},
      {{{"token", R"("")"}}, "token"},
      {{{"quoteChar", R"("''")"}}, "quoteChar"},
      {{{"output", "5"}}, "output"},
      {{{"sortKey", R"([["a", "b"]])"}}, "sortKey"},
      {{{"sortKey", R"("reference")"}}, "sortKey"},
      {{{"sortKey", "[]"}}, "sortKey"},
      {{{"formatTable", nullptr}}, "formatTable"},
      {{{"formatTable", R"([["reference"]])"}}, "formatTable"},
      {{{"formatTable", R"([["r", 8, "yes", "right", 1]])"}}, "formatTable"},
      {{{"formatTable", R"([["r", "8"]])"}}, "formatTable"},
      {{{"formatTable", R"([["r", 2147483648]])"}}, "formatTable"},
      {{{"formatTable", R"([["r", 8], ["v", 4, "yes"]])"}}, "formatTable"},
      {{{"formatTable", "[]"}}, "formatTable"},
      {{{"termTable", R"([["a", "b", "c"]])"}, {"searchMode", R"("o")"}}, "termTable"},
      {{{"termTable", R"([["partName", "74*"]])"}}, "searchMode"},
      {{{"termTable", R"([["a", "b"]])"}, {"searchMode", R"("ao")"}}, "searchMode"},
      {{{"termTable", R"([["a", "b"]])"}, {"searchMode", "1"}}, "searchMode"},
      {{{"hierarchyLevel", R"("2")"}}, "hierarchyLevel"},
      {{{"hierarchyLevel", "4294967296"}}, "hierarchyLevel"},
      {{{"noHeader", R"(["YES"])"}}, "noHeader"},
      {{{"destinationOutputMode", R"("comp")"}}, "destinationOutputMode"},
      {{{"headerAlias", R"(["reference"])"}}, "headerAlias"},
      // Keys are read in a fixed order and the first bad one is named.
      {{{"endOfLineStyle", "1"}, {"token", R"("")"}}, "token"},
      {{{"endOfLineStyle", "1"}}, "endOfLineStyle"},
  };
  for (const Case& c : cases) {
    const Outcome out = read(c.keys);
    SCOPED_TRACE(resourceText(c.keys));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.failure, ReadFailure::BadContent);
    EXPECT_EQ(out.key, c.failingKey);
  }
}

TEST_F(ResourceReaderTest, EveryKeyFillsItsOwnField) {
  const Outcome out = read({{"separator", R"("")"},
                            {"emptyCell", "7"},
                            {"quoteChar", R"("'")"},
                            {"formatTable", R"([["reference", 8, "YES", "Right"], ["%0", -1, "no", "left"]])"},
                            {"sortKey", R"(["partName", "reference"])"},
                            {"excludeType", R"(["POWER"])"},
                            {"termTable", R"([["partName", "74*"], ["reference", "U*"]])"},
                            {"searchMode", R"("o")"},
                            {"destination", R"(["BOARD", "_TOBOARD"])"},
                            {"fixedString", R"(["", "note"])"},
                            {"headerAlias", R"([["reference", "Ref"], ["partName", "Part"]])"},
                            {"destinationOutputMode", R"("Component")"},
                            {"endOfLineStyle", R"("CRLF")"},
                            {"hierarchyLevel", "-3"},
                            {"output", R"("out.txt")"},
                            {"command", R"("cmd")"},
                            {"mergedProp", R"("*")"},
                            {"beginString", R"("begin")"},
                            {"endString", R"("end")"},
                            {"destHeadString", R"("dest: ")"},
                            {"package", R"("value")"}});
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ(s.separator, "");
  EXPECT_EQ(s.emptyCell, "7");
  EXPECT_EQ(s.quoteChar, "'");
  EXPECT_EQ(s.formatProperty, (Strings{"reference", "%0"}));
  EXPECT_EQ(s.formatWidth, (std::vector<int>{8, -1}));
  EXPECT_EQ(s.formatQuoted, (std::vector<int>{1, 0}));
  EXPECT_EQ(s.formatRight, (std::vector<int>{1, 0}));
  EXPECT_EQ(s.sortKey, (Strings{"partName", "reference"}));
  EXPECT_EQ(s.excludeType, Strings{"POWER"});
  EXPECT_EQ(s.termProperty, (Strings{"partName", "reference"}));
  EXPECT_EQ(s.termValue, (Strings{"74*", "U*"}));
  EXPECT_EQ(s.searchMode, "o");
  EXPECT_EQ(s.destination, (Strings{"BOARD", "_TOBOARD"}));
  EXPECT_EQ(s.fixedString, (Strings{"", "note"}));
  EXPECT_EQ(s.aliasProperty, (Strings{"reference", "partName"}));
  EXPECT_EQ(s.aliasText, (Strings{"Ref", "Part"}));
  EXPECT_EQ(s.destinationOutputMode, 1);
  EXPECT_EQ(s.endOfLineStyle, "CRLF");
  EXPECT_EQ(s.hierarchyLevel, -3);
  const Strings texts = {s.output, s.command, s.mergedProp, s.beginString, s.endString, s.destHeadString, s.package};
  EXPECT_EQ(texts, (Strings{"out.txt", "cmd", "*", "begin", "end", "dest: ", "value"}));
}

TEST_F(ResourceReaderTest, LenientValues) {
  // Without search terms the search mode is not looked at.
  EXPECT_TRUE(read({{"searchMode", R"(["not", "looked", "at"])"}}).ok);
  EXPECT_TRUE(read({{"formatTable", R"([["r", 8, "yes"]])"}}).ok);
  EXPECT_TRUE(read({{"destinationOutputMode", R"("TABLE")"}}).ok);
  // An unknown line end is dropped, so the command line or the default decides.
  const Outcome cr = read({{"endOfLineStyle", R"("cr")"}});
  EXPECT_TRUE(cr.ok);
  EXPECT_EQ(cr.settings.endOfLineStyle, "");
}

TEST_F(ResourceReaderTest, EachFlagSetsOnlyItsOwnFieldAndOnlyByTheWordYes) {
  const std::pair<const char*, int Settings::*> flags[] = {{"forceOverwrite", &Settings::forceOverwrite},
                                                           {"alignSeparator", &Settings::alignSeparator},
                                                           {"noAdjust", &Settings::noAdjust},
                                                           {"useCompKind", &Settings::useCompKind},
                                                           {"usePropSpec", &Settings::usePropSpec},
                                                           {"checkKCDBProperty", &Settings::checkKCDBProperty},
                                                           {"checkOpenGate", &Settings::checkOpenGate},
                                                           {"referencePackage", &Settings::referencePackage},
                                                           {"partNamePackage", &Settings::partNamePackage},
                                                           {"noHeader", &Settings::noHeader}};
  for (const auto& [key, field] : flags) {
    SCOPED_TRACE(key);
    const Outcome out = read({{key, R"("yEs")"}});
    ASSERT_TRUE(out.ok) << out.key;
    for (const auto& [otherKey, otherField] : flags)
      EXPECT_EQ(out.settings.*otherField, otherField == field ? 1 : 0) << otherKey;
  }
  EXPECT_EQ(read({{"noAdjust", R"("no")"}}).settings.noAdjust, 0);
}

TEST_F(ResourceReaderTest, GivenFileThatIsMissingOrADirectory) {
  const Outcome missing = readAt(dir.file("none.rsc"));
  EXPECT_EQ(missing.failure, ReadFailure::NotFound);
  EXPECT_EQ(missing.path, dir.file("none.rsc"));
  EXPECT_EQ(missing.key, "");
  const Outcome directory = readAt(dir.path());
  EXPECT_EQ(directory.failure, ReadFailure::NotReadable);
  EXPECT_EQ(directory.key, "");
}

TEST_F(ResourceReaderTest, SearchFindsThePersonalFileThenTheSystemFile) {
  const EnvOverride home("HOME", (dir.path() + "/home/.").c_str());
  const EnvOverride root("KDXROOT", (dir.path() + "/suite/").c_str());
  const EnvOverride lang("KDXLANG", nullptr);
  const std::string system = dir.file("suite/system/eng/comptab.rsc");

  Outcome out = readAt("");
  EXPECT_EQ(out.failure, ReadFailure::NotFound);
  EXPECT_EQ(out.path, system);  // named though missing, for the report

  dir.write("suite/system/eng/comptab.rsc", resourceText({}));
  out = readAt("");
  EXPECT_TRUE(out.ok) << out.key;
  EXPECT_EQ(out.path, system);
  EXPECT_EQ(out.settings.resourceGiven, 0);

  // A bad personal file shows that it is read instead of the good system one.
  dir.write("home/halden/dx/comptab.rsc", resourceText({{"token", nullptr}}));
  out = readAt("");
  EXPECT_EQ(out.path, dir.file("home/halden/dx/comptab.rsc"));
  EXPECT_EQ(out.key, "token");
}

TEST_F(ResourceReaderTest, LoadSettingsGivesARecordOnlyOnSuccess) {
  std::string path = dir.write("good.rsc", resourceText({}));
  ReadFailure failure = ReadFailure::BadContent;
  std::string key;
  std::string parseError;
  EXPECT_NE(loadSettings(path, failure, key, parseError), nullptr);
  EXPECT_EQ(failure, ReadFailure::None);
  path = dir.write("bad.rsc", resourceText({{"formatTable", nullptr}}));
  EXPECT_EQ(loadSettings(path, failure, key, parseError), nullptr);
  EXPECT_EQ(failure, ReadFailure::BadContent);
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
