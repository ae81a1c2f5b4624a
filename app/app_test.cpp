#include "app/app.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
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

  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string dir_;
};

TEST_F(AppTest, ModeWordsAndParameters) {
  auto app = make({"-mode", "PNPACKAGE", "-mode", "compdest", "x.sht"});
  ASSERT_EQ(app->exitState, 0);
  EXPECT_EQ(app->RunMode, mode::kPnPackage);
  app = make({"-mode", "cd", "-mode", "pn", "x.sht"});
  EXPECT_EQ(app->RunMode, mode::kPnPackage);
  app = make({"-p:e", "viewer -a", "-mode", "NA", "-p:D", "A", "-p:destination", "B", "-p:p", "VALUE", "x.sht"});
  EXPECT_EQ(app->RunMode, mode::kExecute | mode::kNoAdjust);
  EXPECT_EQ(app->executeProgram, "viewer -a");
  EXPECT_EQ(app->destinations, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(app->packageProperty, "VALUE");
  EXPECT_FALSE(app->outputPath.has_value());
  app = make({"-output", "a.txt", "-output", "b.txt", "x.sht"});
  EXPECT_EQ(app->outputPath, "b.txt");
}

TEST_F(AppTest, HierarchyLevel) {
  resource("hierarchyLevel = 4\n");
  struct Case {
    std::vector<std::string> words;
    int level;
  } cases[] = {
      {{"x.sht"}, 4}, {{"x.sht", "-p:level"}, 4}, {{"-p:level", "-mode", "lf", "x.sht"}, 4},
      {{"-p:level", "0", "x.sht"}, 0}, {{"-p:l", "2", "x.sht"}, 2},
      {{"-p:level", "abc", "x.sht"}, 0}, {{"-p:level", "7up", "x.sht"}, 7},
  };
  for (const Case& c : cases) {
    auto app = make(c.words);
    EXPECT_EQ(app->hierarchyLevel, c.level) << c.words[0] << " " << c.words[1 % c.words.size()];
  }
}

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
    ASSERT_EQ(app->exitState, 0) << c.resourceLine;
    EXPECT_EQ(app->eol, c.eol) << c.resourceLine;
  }
}

TEST_F(AppTest, ResourceSwitchesOnlyAddModes) {
  resource(
      "referencePackage = \"yes\"\npartNamePackage = \"YES\"\ndestinationOutputMode = \"Component\"\n"
      "forceOverwrite = \"no\"\nnoHeader = \"Yes\"\n");
  auto app = make({"-mode", "force", "x.sht"});
  EXPECT_EQ(app->RunMode, mode::kPackage | mode::kPnPackage | mode::kNoHeader | mode::kForce);
}

TEST_F(AppTest, TargetKinds) {
  auto app = make({dir_ + "/board.cir"});
  EXPECT_EQ(app->RunMode & mode::kCircuit, mode::kCircuit);
  EXPECT_EQ(app->designFile, "");
  EXPECT_EQ(app->designDir, dir_ + "/board.cir");
  app = make({dir_ + "/sub/../board.sht"});
  EXPECT_EQ(app->RunMode, 0u);
  EXPECT_EQ(app->designFile, dir_ + "/board.sht");
  EXPECT_EQ(app->designDir, dir_);
}

TEST_F(AppTest, ErrorReportsAddTheStateOfTheFile) {
  auto app = make({"x.sht"});
  app->setEcho(nullptr);
  const std::string readable = dir_ + "/r.rsc";
  const std::string missing = dir_ + "/none";
  app->reportError(ReportKind::InputFile, missing, 1, 38610);
  app->reportError(ReportKind::InputFile, readable, 1, 38610);
  app->reportError(ReportKind::InputFile, dir_, 1, 38610);  // a directory is no readable input file
  app->reportError(ReportKind::InputFile, "", 1, 38610);
  app->reportError(ReportKind::InputFile, std::nullopt, 1, 38610);
  app->reportError(ReportKind::OutputFile, missing, 1, 38606);
  app->reportError(ReportKind::OutputFile, readable, 1, 38606);
  app->reportError(ReportKind::OutputFile, "", 1, 38606);
  app->reportError(ReportKind::General, "", 1, 38618);
  app->reportError(ReportKind::General, std::nullopt, 1, 38608);
  app->reportError(ReportKind::General, "A", 1, 38616);
  EXPECT_EQ(app->exitState, 1);
  std::string codes;
  std::istringstream lines(read(app->logPath()));
  for (std::string line; std::getline(lines, line);) codes += line.substr(0, line.find(':')) + "\n";
  EXPECT_EQ(codes,
            "ERROR 38610\nERROR 38614\n"
            "ERROR 38610\nERROR 38615\n"
            "ERROR 38610\nERROR 38623\n"
            "ERROR 38610\nERROR 38607\n"
            "ERROR 38610\n"
            "ERROR 38606\nERROR 38605\n"
            "ERROR 38606\nERROR 38601\n"
            "ERROR 38606\nERROR 38617\n"
            "ERROR 38618\n"
            "ERROR 38608\nERROR 38621\n"
            "ERROR 38616\nERROR 38621\n");
}

TEST_F(AppTest, ErrorFileMovesToTheDesignWhenItCan) {
  auto app = make({"x.sht"});
  EXPECT_EQ(app->logPath(), dir_ + "/home/halden/dx/log/comptab.err");
  app->setUpErrorFile(dir_ + "/board.cir");
  EXPECT_EQ(app->logPath(), dir_ + "/board.cir/log/comptab.err");
  EXPECT_EQ(app->logReady, 1);
  std::ofstream(dir_ + "/blocked") << "x";
  app->setUpErrorFile(dir_ + "/blocked");  // its log directory cannot be made
  EXPECT_EQ(app->logPath(), dir_ + "/home/halden/dx/log/comptab.err");
  EXPECT_EQ(app->logReady, 1);
}

}  // namespace
}  // namespace comptab
