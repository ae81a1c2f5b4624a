#include "platform/support/file_handle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Each kind of path an input may be, with the reason it is refused for (an
// empty reason: it opens). None may block, even a FIFO nobody writes to.
TEST(FileHandle, InputsAreRegularFilesAndNothingBlocks) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string file = dir.file("file", "12345");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(file.c_str(), dir.file("link").c_str()), 0);
  const struct {
    std::string path;
    bool followLinks;
    const char* why;
  } cases[] = {
      {file, true, ""},
      {dir.file("link"), true, ""},
      {dir.file("link"), false, "this is a symbolic link, which is not followed here; remove it"},
      {dir.path(), true, "this is a directory, not a file"},
      {dir.file("fifo"), true, "this is a FIFO (named pipe), not a regular file"},
      {"/dev/null", true, "this is a device, not a regular file"},
      {dir.file("missing"), true, "the file does not exist"},
  };
  for (const auto& c : cases) {
    FileHandle handle;
    std::string why;
    uint64_t size = 0;
    const bool opened = openInputFile(c.path, handle, &why, &size, c.followLinks);
    EXPECT_EQ(opened, *c.why == '\0') << c.path;
    EXPECT_EQ(handle.isOpen(), opened) << c.path;
    EXPECT_EQ(why, c.why) << c.path;
    if (opened) {
      EXPECT_EQ(size, 5u);
    }
  }
}

TEST(FileHandle, OutputsRefuseWhatIsNotARegularFileBeforeTouchingIt) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string target = dir.file("target", "keep");
  const std::string link = dir.file("link");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  FileHandle handle;
  std::string why;
  EXPECT_FALSE(openOutputFile(link, false, false, handle, &why));
  EXPECT_EQ(why, "this is a symbolic link, which is not followed here; remove it");
  EXPECT_FALSE(openOutputFile(dir.file("fifo"), false, true, handle, &why));
  EXPECT_FALSE(openOutputFile(dir.path(), false, true, handle, &why));
  EXPECT_EQ(contents(target), "keep");

  ASSERT_TRUE(openOutputFile(link, true, true, handle, &why)) << why;
  ASSERT_EQ(::write(handle.get(), "+", 1), 1);
  handle.reset();
  EXPECT_EQ(contents(target), "keep+");
  ASSERT_TRUE(openOutputFile(target, false, false, handle, &why)) << why;
  handle.reset();
  EXPECT_EQ(contents(target), "");
}

}  // namespace
}  // namespace comptab
