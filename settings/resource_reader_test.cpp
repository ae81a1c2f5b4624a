#include "settings/resource_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace comptab {
namespace {

using Strings = std::vector<std::string>;
using Keys = std::vector<std::pair<std::string, const char*>>;

// A fresh directory below the temporary area, removed with what it holds.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/comptab-reader-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes the file, creating the directories on its way.
  std::string file(const std::string& name, const std::string& text) const {
    const std::string path = path_ + "/" + name;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Sets (or, given null, unsets) a variable for the test's lifetime.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvOverride() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

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
    bool replaced = false;
    for (auto& key : keys) {
      if (key.first == change.first) {
        key.second = change.second;
        replaced = true;
      }
    }
    if (!replaced) keys.push_back(change);
  }
  std::string text;
  for (const auto& key : keys) {
    if (key.second) text += key.first + " = " + key.second + "\n";
  }
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
  Outcome read(const Keys& changes) { return readAt(dir.file("r.rsc", resourceText(changes))); }
  TempDir dir;
};

TEST_F(ResourceReaderTest, OnlyRequiredKeysLeaveTheDefaults) {
  const Outcome out = read({});
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ(out.failure, ReadFailure::None);
  EXPECT_EQ(s.resourceGiven, 1);
  EXPECT_EQ(s.separator, ",");
  EXPECT_EQ(s.emptyCell, "-");
  EXPECT_EQ(s.token, ",");
  EXPECT_EQ(s.quoteChar, "\"");
  EXPECT_EQ(s.formatProperty, Strings{"reference"});
  EXPECT_EQ(s.formatWidth, std::vector<int>{8});
  EXPECT_EQ(s.formatQuoted, std::vector<int>{0});
  EXPECT_EQ(s.formatRight, std::vector<int>{0});
  EXPECT_EQ(s.hierarchyLevel, -1);
  EXPECT_EQ(s.destinationOutputMode, 0);
  EXPECT_TRUE(s.sortKey.empty() && s.termProperty.empty() && s.aliasProperty.empty() && s.fixedString.empty());
  EXPECT_TRUE(s.searchMode.empty() && s.output.empty() && s.endOfLineStyle.empty());
}

TEST_F(ResourceReaderTest, BadValuesFailAtTheirKey) {
  struct Case {
    const char* what;
    Keys keys;
    const char* failingKey;
  };
  const Case cases[] = {
      {"separator of two characters", {{"separator", R"(",;")"}}, "separator"},
      {"separator missing", {{"separator", nullptr}}, "separator"},
      {"separator a list", {{"separator", R"([","])"}}, "separator"},
      {"emptyCell of two characters", {{"emptyCell", R"("--")"}}, "emptyCell"},
      {"token empty", {{"token", R"("")"}}, "token"},
      {"token long", {{"token", R"(",,")"}}, "token"},
      {"quoteChar empty", {{"quoteChar", R"("")"}}, "quoteChar"},
      {"quoteChar long", {{"quoteChar", R"("''")"}}, "quoteChar"},
      {"output not a string", {{"output", "5"}}, "output"},
      {"sortKey two columns", {{"sortKey", R"([["a", "b"]])"}}, "sortKey"},
      {"sortKey a single word", {{"sortKey", R"("reference")"}}, "sortKey"},
      {"sortKey empty", {{"sortKey", "[]"}}, "sortKey"},
      {"excludeType a table", {{"excludeType", "{ a = 1 }"}}, "excludeType"},
      {"formatTable missing", {{"formatTable", nullptr}}, "formatTable"},
      {"formatTable one column", {{"formatTable", R"([["reference"]])"}}, "formatTable"},
      {"formatTable five columns", {{"formatTable", R"([["r", 8, "yes", "right", 1]])"}}, "formatTable"},
      {"formatTable width as text", {{"formatTable", R"([["r", "8"]])"}}, "formatTable"},
      {"formatTable width too large", {{"formatTable", R"([["r", 2147483648]])"}}, "formatTable"},
      {"formatTable ragged", {{"formatTable", R"([["r", 8], ["v", 4, "yes"]])"}}, "formatTable"},
      {"formatTable no rows", {{"formatTable", "[]"}}, "formatTable"},
      {"termTable three columns", {{"termTable", R"([["a", "b", "c"]])"}, {"searchMode", R"("o")"}}, "termTable"},
      {"termTable without searchMode", {{"termTable", R"([["partName", "74*"]])"}}, "searchMode"},
      {"searchMode long", {{"termTable", R"([["a", "b"]])"}, {"searchMode", R"("ao")"}}, "searchMode"},
      {"searchMode not a string", {{"termTable", R"([["a", "b"]])"}, {"searchMode", "1"}}, "searchMode"},
      {"destination a word", {{"destination", R"("BOARD")"}}, "destination"},
      {"command a list", {{"command", R"(["lpr"])"}}, "command"},
      {"mergedProp a list", {{"mergedProp", R"(["*"])"}}, "mergedProp"},
      {"fixedString a word", {{"fixedString", R"("x")"}}, "fixedString"},
      {"beginString a table", {{"beginString", "{ a = 1 }"}}, "beginString"},
      {"hierarchyLevel as text", {{"hierarchyLevel", R"("2")"}}, "hierarchyLevel"},
      {"hierarchyLevel too large", {{"hierarchyLevel", "4294967296"}}, "hierarchyLevel"},
      {"flag a list", {{"noHeader", R"(["YES"])"}}, "noHeader"},
      {"destinationOutputMode a list", {{"destinationOutputMode", R"(["component"])"}}, "destinationOutputMode"},
      {"destinationOutputMode unknown", {{"destinationOutputMode", R"("comp")"}}, "destinationOutputMode"},
      {"headerAlias one column", {{"headerAlias", R"(["reference"])"}}, "headerAlias"},
      {"endOfLineStyle not a string", {{"endOfLineStyle", "1"}}, "endOfLineStyle"},
      {"two bad keys", {{"endOfLineStyle", "1"}, {"token", R"("")"}}, "token"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome out = read(c.keys);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.failure, ReadFailure::BadContent);
    EXPECT_EQ(out.key, c.failingKey);
  }
}

TEST_F(ResourceReaderTest, AcceptedFormsAndWhatTheyStore) {
  const Outcome out = read({
      {"separator", R"("")"},
      {"emptyCell", "7"},
      {"quoteChar", R"("'")"},
      {"searchMode", R"(["not", "looked", "at"])"},
      {"formatTable", R"([["reference", 8, "yes"], ["%0", -1, "no"]])"},
      {"sortKey", R"(["partName", "reference"])"},
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
      {"package", R"("value")"},
  });
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ(s.separator, "");
  EXPECT_EQ(s.emptyCell, "7");
  EXPECT_EQ(s.quoteChar, "'");
  EXPECT_EQ(s.searchMode, "");
  EXPECT_EQ(s.formatProperty, (Strings{"reference", "%0"}));
  EXPECT_EQ(s.formatWidth, (std::vector<int>{8, -1}));
  EXPECT_EQ(s.formatQuoted, (std::vector<int>{1, 0}));
  EXPECT_EQ(s.formatRight, (std::vector<int>{0, 0}));
  EXPECT_EQ(s.sortKey, (Strings{"partName", "reference"}));
  EXPECT_EQ(s.aliasProperty, (Strings{"reference", "partName"}));
  EXPECT_EQ(s.aliasText, (Strings{"Ref", "Part"}));
  EXPECT_EQ(s.destinationOutputMode, 1);
  EXPECT_EQ(s.endOfLineStyle, "CRLF");
  EXPECT_EQ(s.hierarchyLevel, -3);
  const Strings texts = {s.output, s.command, s.mergedProp, s.beginString, s.endString, s.destHeadString, s.package};
  EXPECT_EQ(texts, (Strings{"out.txt", "cmd", "*", "begin", "end", "dest: ", "value"}));
}

TEST_F(ResourceReaderTest, ListsAndTablesFillTheirOwnFields) {
  const Outcome out = read({
      {"formatTable", R"([["reference", 8, "YES", "Right"], ["value", 6, "no", "left"]])"},
      {"termTable", R"([["partName", "74*"], ["reference", "U*"]])"},
      {"searchMode", R"("o")"},
      {"excludeType", R"(["POWER"])"},
      {"destination", R"(["BOARD", "_TOBOARD"])"},
      {"fixedString", R"(["", "note"])"},
  });
  ASSERT_TRUE(out.ok) << out.key;
  const Settings& s = out.settings;
  EXPECT_EQ(s.formatQuoted, (std::vector<int>{1, 0}));
  EXPECT_EQ(s.formatRight, (std::vector<int>{1, 0}));
  EXPECT_EQ(s.termProperty, (Strings{"partName", "reference"}));
  EXPECT_EQ(s.termValue, (Strings{"74*", "U*"}));
  EXPECT_EQ(s.searchMode, "o");
  EXPECT_EQ(s.excludeType, Strings{"POWER"});
  EXPECT_EQ(s.destination, (Strings{"BOARD", "_TOBOARD"}));
  EXPECT_EQ(s.fixedString, (Strings{"", "note"}));
}

TEST_F(ResourceReaderTest, EachFlagSetsOnlyItsOwnField) {
  const std::pair<const char*, int Settings::*> flags[] = {
      {"forceOverwrite", &Settings::forceOverwrite},
      {"alignSeparator", &Settings::alignSeparator},
      {"noAdjust", &Settings::noAdjust},
      {"useCompKind", &Settings::useCompKind},
      {"usePropSpec", &Settings::usePropSpec},
      {"checkKCDBProperty", &Settings::checkKCDBProperty},
      {"checkOpenGate", &Settings::checkOpenGate},
      {"referencePackage", &Settings::referencePackage},
      {"partNamePackage", &Settings::partNamePackage},
      {"noHeader", &Settings::noHeader},
  };
  for (const auto& [key, field] : flags) {
    SCOPED_TRACE(key);
    const Outcome out = read({{key, R"("yEs")"}});
    ASSERT_TRUE(out.ok) << out.key;
    for (const auto& [otherKey, otherField] : flags)
      EXPECT_EQ(out.settings.*otherField, otherField == field ? 1 : 0) << otherKey;
  }
}

TEST_F(ResourceReaderTest, OnlyTheWordYesSetsAFlagAndOnlyKnownLineEndsStay) {
  const std::pair<const char*, int> flagValues[] = {
      {R"("YES")", 1}, {R"("no")", 0}, {R"("1")", 0}, {"1", 0}, {"true", 0}};
  for (const auto& [toml, expected] : flagValues) {
    SCOPED_TRACE(toml);
    EXPECT_EQ(read({{"noAdjust", toml}}).settings.noAdjust, expected);
  }
  const std::pair<const char*, const char*> lineEnds[] = {
      {R"("lf")", "lf"}, {R"("Crlf")", "Crlf"}, {R"("cr")", ""}, {R"("")", ""}};
  for (const auto& [toml, expected] : lineEnds) {
    SCOPED_TRACE(toml);
    const Outcome out = read({{"endOfLineStyle", toml}});
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.settings.endOfLineStyle, expected);
  }
  EXPECT_EQ(read({{"destinationOutputMode", R"("TABLE")"}}).settings.destinationOutputMode, 0);
}

TEST_F(ResourceReaderTest, GivenFileThatIsMissingOrCannotBeRead) {
  const Outcome missing = readAt(dir.path() + "/none.rsc");
  EXPECT_EQ(missing.failure, ReadFailure::NotFound);
  EXPECT_EQ(missing.path, dir.path() + "/none.rsc");
  EXPECT_EQ(missing.settings.resourceGiven, 0);
  EXPECT_EQ(missing.key, "");

  const Outcome directory = readAt(dir.path());
  EXPECT_EQ(directory.failure, ReadFailure::NotReadable);
  EXPECT_EQ(directory.key, "");

  if (::geteuid() != 0) {  // root reads a file whatever its mode
    const std::string locked = dir.file("locked.rsc", resourceText({}));
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(readAt(locked).failure, ReadFailure::NotReadable);
  }
}

TEST_F(ResourceReaderTest, FileThatDoesNotParseFailsAtTheFirstKeyWithTheParserReason) {
  const Outcome out = readAt(dir.file("broken.rsc", resourceText({}) + "broken = \n"));
  EXPECT_EQ(out.failure, ReadFailure::BadContent);
  EXPECT_EQ(out.key, "separator");
  EXPECT_EQ(out.parseError.rfind(out.path + ":5:", 0), 0u) << out.parseError;
}

TEST_F(ResourceReaderTest, SearchFindsThePersonalFileThenTheSystemFile) {
  const EnvOverride home("HOME", (dir.path() + "/home/.").c_str());
  const EnvOverride root("KDXROOT", (dir.path() + "/suite/").c_str());
  const EnvOverride lang("KDXLANG", nullptr);
  const std::string personal = dir.path() + "/home/halden/dx/comptab.rsc";
  const std::string system = dir.path() + "/suite/system/eng/comptab.rsc";

  Outcome out = readAt("");
  EXPECT_EQ(out.failure, ReadFailure::NotFound);
  EXPECT_EQ(out.path, system);
  EXPECT_EQ(out.key, "");

  dir.file("suite/system/eng/comptab.rsc", resourceText({}));
  out = readAt("");
  EXPECT_TRUE(out.ok) << out.key;
  EXPECT_EQ(out.path, system);
  EXPECT_EQ(out.settings.resourceGiven, 0);

  // A bad personal file shows that it is read instead of the good system one.
  dir.file("home/halden/dx/comptab.rsc", resourceText({{"token", nullptr}}));
  out = readAt("");
  EXPECT_EQ(out.path, personal);
  EXPECT_EQ(out.key, "token");
  EXPECT_EQ(out.settings.resourceGiven, 0);
}

TEST_F(ResourceReaderTest, LoadSettingsGivesARecordOnlyOnSuccess) {
  std::string path = dir.file("good.rsc", resourceText({}));
  ReadFailure failure = ReadFailure::BadContent;
  std::string key;
  std::string parseError;
  const auto good = loadSettings(path, failure, key, parseError);
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(failure, ReadFailure::None);
  EXPECT_EQ(good->quoteChar, "\"");

  path = dir.file("bad.rsc", resourceText({{"formatTable", nullptr}}));
  EXPECT_EQ(loadSettings(path, failure, key, parseError), nullptr);
  EXPECT_EQ(failure, ReadFailure::BadContent);
  EXPECT_EQ(key, "formatTable");

  EXPECT_EQ(failureCode(ReadFailure::None), 0);
  EXPECT_EQ(failureCode(ReadFailure::NotFound), 38627);
  EXPECT_EQ(failureCode(ReadFailure::NotReadable), 38628);
  EXPECT_EQ(failureCode(ReadFailure::BadContent), 38629);
}

TEST(ShippedResourceFiles, LoadWithoutErrors) {
  for (const char* name : {"/suite/system/eng/comptab.rsc", "/examples/list.rsc"}) {
    SCOPED_TRACE(name);
    const Outcome out = readAt(std::string(COMPTAB_SOURCE_ROOT) + name);
    EXPECT_TRUE(out.ok) << out.key << " " << out.parseError;
    EXPECT_FALSE(out.settings.formatProperty.empty());
  }
  const Outcome list = readAt(std::string(COMPTAB_SOURCE_ROOT) + "/examples/list.rsc");
  EXPECT_EQ(list.settings.formatProperty,
            (Strings{"reference", "partName", "componentName", "positionX", "positionY", "_ZONE"}));
  EXPECT_EQ(list.settings.sortKey, Strings{"reference"});
}

TEST(ShippedResourceFiles, DocumentedExampleLoadsAndSetsEveryList) {
  std::ifstream doc(std::string(COMPTAB_SOURCE_ROOT) + "/docs/resource-file.md");
  const std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
  const size_t begin = text.find("```toml\n");
  ASSERT_NE(begin, std::string::npos);
  const size_t end = text.find("```", begin + 8);
  ASSERT_NE(end, std::string::npos);
  const TempDir dir;
  const Outcome out = readAt(dir.file("example.rsc", text.substr(begin + 8, end - begin - 8)));
  ASSERT_TRUE(out.ok) << out.key << " " << out.parseError;
  const Settings& s = out.settings;
  for (const Strings* field :
       {&s.sortKey, &s.excludeType, &s.termProperty, &s.destination, &s.fixedString, &s.aliasProperty})
    EXPECT_FALSE(field->empty());
  EXPECT_EQ(s.searchMode, "o");
  EXPECT_EQ(s.endOfLineStyle, "lf");
}

}  // namespace
}  // namespace comptab
