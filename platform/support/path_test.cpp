#include "platform/support/path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace comptab {
namespace {

TEST(Path, PartsOfAPath) {
  struct Case {
    const char* path;
    const char* dir;
    const char* base;
    const char* suffix;
  } cases[] = {
      {"/a/b/board.sht", "/a/b", "board.sht", ".sht"}, {"board.sht", ".", "board.sht", ".sht"},
      {"/board", "/", "board", ""},                    {"/a/top.cir/", "/a", "top.cir", ".cir"},
      {"/a.b/c", "/a.b", "c", ""},                     {".hidden", ".", ".hidden", ""},
      {"a/b.tar.gz", "a", "b.tar.gz", ".gz"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(directoryPart(c.path), c.dir) << c.path;
    EXPECT_EQ(baseName(c.path), c.base) << c.path;
    EXPECT_EQ(pathSuffix(c.path), c.suffix) << c.path;
  }
}

TEST(Path, JoinAndPack) {
  EXPECT_EQ(joinPath("/a/b", "log"), "/a/b/log");
  EXPECT_EQ(joinPath("/a/b/", "/log"), "/a/b/log");
  EXPECT_EQ(joinPath("", "log"), "log");
  EXPECT_EQ(joinPath("/", "log"), "/log");
  EXPECT_EQ(joinPath("/a", ""), "/a");
  EXPECT_EQ(packPath("/a/./b//c/../d/"), "/a/b/d");
  EXPECT_EQ(packPath("a/.."), ".");
  EXPECT_EQ(packPath(""), "");
}

TEST(Path, ExpandMakesAbsolute) {
  const std::string cwd = std::filesystem::current_path().generic_string();
  EXPECT_EQ(expandPath("x/../board.sht"), joinPath(cwd, "board.sht"));
  EXPECT_EQ(expandPath("/tmp//a/"), "/tmp/a");
}

}  // namespace
}  // namespace comptab
