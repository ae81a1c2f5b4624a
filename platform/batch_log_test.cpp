#include "platform/batch_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/path.h"

namespace comptab {
namespace {

class BatchLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/comptab-log-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ + "/suite/system/eng");
    write(root_ + "/suite/system/eng/test.msg",
          "# comment\n38627 Not found: \"%1\".\r\n38621 %1 / %2 / 100%%\nbad line\n");
    ::setenv("COMPTAB_TEST_ROOT", (root_ + "/suite").c_str(), 1);
    ::unsetenv("KDXLANG");
    log_.setEcho(nullptr);
    log_.setMessageSource("COMPTAB_TEST_ROOT/test");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  static void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string root_;
  BatchLog log_;
};

TEST_F(BatchLogTest, WritesNothingUntilTheFirstMessage) {
  log_.setDirectory(root_ + "/a/log");
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/a/log"));
  EXPECT_FALSE(std::filesystem::exists(log_.logPath()));
  EXPECT_EQ(log_.logPath(), root_ + "/a/log/comptab.err");
}

TEST_F(BatchLogTest, LinesFromTheCatalogue) {
  log_.setDirectory(root_ + "/log");
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  log_.writeError(38627, {"/x/list.rsc"});
  log_.writeError(38621, {"only"});
  log_.writeWarning(38999, {"a", "b"});
  log_.writeError(38998);
  log_.writeText("free\ntext");
  log_.writeError(38627, {"two\nlines"});
  EXPECT_EQ(read(log_.logPath()),
            "ERROR 38627: Not found: \"/x/list.rsc\".\n"
            "ERROR 38621: only /  / 100%\n"
            "WARNING 38999: a, b\n"
            "ERROR 38998\n"
            "free\ntext"
            "ERROR 38627: Not found: \"two lines\".\n");
}

TEST_F(BatchLogTest, TruncatesOnceARunAndCountsWarningsAcrossSetUps) {
  const std::string dir = root_ + "/log";
  std::filesystem::create_directories(dir);
  write(dir + "/comptab.err", "old run\n");
  log_.setDirectory(dir);
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  log_.writeWarning(38670, {"x"});
  ASSERT_EQ(log_.setProgram("comptab"), 1);  // named again, as the design set-up does
  log_.writeWarning(38670, {"y"});
  EXPECT_EQ(read(dir + "/comptab.err"), "WARNING 38670: x\nWARNING 38670: y\n");
  log_.setDirectory(root_ + "/other");
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  EXPECT_TRUE(log_.warningWritten());
  EXPECT_EQ(log_.warningCount(), 2);
}

TEST_F(BatchLogTest, ADirectoryThatCannotBeMadeIsRefused) {
  write(root_ + "/plain", "x");
  log_.setDirectory(root_ + "/plain/log");
  EXPECT_EQ(log_.setProgram("comptab"), 0);
  EXPECT_EQ(log_.logPath(), "");
  log_.writeError(38627, {"x"});  // goes nowhere, and does not crash
  EXPECT_FALSE(log_.warningWritten());
}

TEST_F(BatchLogTest, MissingCatalogueStillPrintsCodesAndArguments) {
  log_.setMessageSource("COMPTAB_TEST_ROOT/none");
  log_.setDirectory(root_ + "/log");
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  log_.writeError(38627, {"/x/list.rsc"});
  EXPECT_EQ(read(log_.logPath()), "ERROR 38627: /x/list.rsc\n");
}

TEST_F(BatchLogTest, OtherLanguageFallsBackToEnglish) {
  ::setenv("KDXLANG", "jpn", 1);
  log_.setDirectory(root_ + "/log");
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  log_.writeError(38627, {"a"});
  ::unsetenv("KDXLANG");
  EXPECT_EQ(read(log_.logPath()), "ERROR 38627: Not found: \"a\".\n");
}

}  // namespace
}  // namespace comptab
