#include "app/app.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "settings/run_mode.h"

namespace comptab {
namespace {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/comptab-app-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directories(dir_ + "/home");
    std::filesystem::create_directories(dir_ + "/suite/system/eng");
    std::filesystem::create_directories(dir_ + "/board.cir");
    ::setenv("HOME", (dir_ + "/home").c_str(), 1);
    ::setenv("KDXROOT", (dir_ + "/suite").c_str(), 1);
    ::unsetenv("KDXLANG");
    resource("");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A resource file with the required keys and `extra`.
  void resource(const std::string& extra) {
    std::ofstream(dir_ + "/r.rsc") << "separator = \",\"\nemptyCell = \"-\"\ntoken = \",\"\n"
                                   << "formatTable = [[\"reference\", 8]]\n"
                                   << extra;
  }

  std::unique_ptr<App> make(std::vector<std::string> words, bool withResource = true) {
    if (withResource) {
      words.insert(words.begin(), {"-p:resource", dir_ + "/r.rsc"});
    }
    words.insert(words.begin(), "comptab.exe");
    std::vector<const char*> argv;
    for (const auto& w : words) argv.push_back(w.c_str());
    return std::make_unique<App>(static_cast<int>(argv.size()), argv.data());
  }

  std::string dir_;
};

// Mode words in any letter case and by their short forms; part-name
// packaging drops the component-destination listing whichever comes first.
TEST_F(AppTest, ModeWordsAndParameters) {
  auto app = make({"-mode", "PNPACKAGE", "-mode", "compdest", "x.sht"});
  ASSERT_EQ(app->reporter().exitState, 0);
  EXPECT_EQ(app->options().runMode, mode::kPnPackage);
  app = make({"-mode", "cd", "-mode", "pn", "x.sht"});
  EXPECT_EQ(app->options().runMode, mode::kPnPackage);
  app = make({"-p:e", "viewer -a", "-mode", "NA", "-p:D", "A", "-p:destination", "B", "-p:p", "VALUE", "-output",
              "a.txt", "-output", "b.txt", "x.sht"});
  EXPECT_EQ(app->options().runMode, mode::kExecute | mode::kNoAdjust);
  EXPECT_EQ(app->options().executeProgram, "viewer -a");
  EXPECT_EQ(app->options().destinations, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(app->options().packageProperty, "VALUE");
  EXPECT_EQ(app->options().outputPath, "b.txt");
}

// A level word without a number, or followed by an option, leaves the
// resource file's level; otherwise the leading digits count.
TEST_F(AppTest, HierarchyLevel) {
  resource("hierarchyLevel = 4\n");
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"x.sht"}, 4},           {{"x.sht", "-p:level"}, 4},          {{"-p:level", "-mode", "lf", "x.sht"}, 4},
      {{"-p:l", "2", "x.sht"}, 2}, {{"-p:level", "abc", "x.sht"}, 0}, {{"-p:level", "7up", "x.sht"}, 7},
  };
  for (const auto& [words, level] : cases)
    EXPECT_EQ(make(words)->options().hierarchyLevel, level) << words[0] << " " << words[1];
}

// CR LF unless the command line or the resource file says LF; the command
// line wins, and a style neither knows is passed over.
TEST_F(AppTest, LineEnds) {
  struct Case {
    const char* resourceLine;
    std::vector<std::string> words;
    const char* eol;
  } cases[] = {
      {"", {"x.sht"}, "\r\n"},
      {"endOfLineStyle = \"LF\"\n", {"x.sht"}, "\n"},
      {"endOfLineStyle = \"crlf\"\n", {"-mode", "lf", "x.sht"}, "\n"},
      {"endOfLineStyle = \"lf\"\n", {"-mode", "lf", "-mode", "CRLF", "x.sht"}, "\r\n"},
      {"endOfLineStyle = \"cr\"\n", {"x.sht"}, "\r\n"},
  };
  for (const Case& c : cases) {
    resource(c.resourceLine);
    auto app = make(c.words);
    ASSERT_EQ(app->reporter().exitState, 0) << c.resourceLine;
    EXPECT_EQ(app->options().eol, c.eol) << c.resourceLine;
  }
}

TEST_F(AppTest, ResourceSwitchesOnlyAddModes) {
  resource(
      "referencePackage = \"yes\"\npartNamePackage = \"YES\"\ndestinationOutputMode = \"Component\"\n"
      "forceOverwrite = \"no\"\nnoHeader = \"Yes\"\n");
  auto app = make({"-mode", "force", "x.sht"});
  EXPECT_EQ(app->options().runMode, mode::kPackage | mode::kPnPackage | mode::kNoHeader | mode::kForce);
}

// A design whose log directory cannot be made leaves the error file where
// it was.
TEST_F(AppTest, ErrorFileMovesToTheDesignWhenItCan) {
  auto app = make({"x.sht"});
  app->reporter().setUpErrorFile(dir_ + "/board.cir");
  EXPECT_EQ(app->reporter().logPath(), dir_ + "/board.cir/log/comptab.err");
  std::ofstream(dir_ + "/blocked") << "x";
  app->reporter().setUpErrorFile(dir_ + "/blocked");
  EXPECT_EQ(app->reporter().logPath(), dir_ + "/home/halden/dx/log/comptab.err");
  EXPECT_EQ(app->reporter().logReady, 1);
}

}  // namespace
}  // namespace comptab
