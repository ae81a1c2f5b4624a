#include "platform/support/batch_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/support/path.h"

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
}

// A language without a catalogue falls back to English; without any
// catalogue the codes and arguments are still written.
TEST_F(BatchLogTest, CatalogueFallbacks) {
  ::setenv("KDXLANG", "jpn", 1);
  log_.setDirectory(root_ + "/log");
  ASSERT_EQ(log_.setProgram("comptab"), 1);
  log_.writeError(38627, {"a"});
  ::unsetenv("KDXLANG");
  log_.setMessageSource("COMPTAB_TEST_ROOT/none");
  log_.writeError(38627, {"/x/list.rsc"});
  EXPECT_EQ(read(log_.logPath()), "ERROR 38627: Not found: \"a\".\nERROR 38627: /x/list.rsc\n");
}

}  // namespace
}  // namespace comptab
