#include "platform/support/output_stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/support/path.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

std::string contents(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(OutputStreamTest, WritesTruncatesAndAppends) {
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("comptab_output_stream_" + std::to_string(getpid()))).string();
  for (const char* text : {"first\n", "second"}) {
    OutputStream out;
    ASSERT_TRUE(out.open(file, false));
    out.write(text);
    out.writeRepeated(' ', 150);  // more than one block
    EXPECT_TRUE(out.close());
  }
  OutputStream moved;
  {
    OutputStream out;
    ASSERT_TRUE(out.open(file, true));
    moved = std::move(out);
  }  // the moved-from stream must not close the file
  moved.write("|");
  EXPECT_TRUE(moved.close());
  EXPECT_EQ(contents(file), "second" + std::string(150, ' ') + "|");

  // Pieces that fill the gathered block exactly, run past it, or are
  // larger than it on their own, between small ones, come out in order;
  // a stream moved while text is pending keeps it.
  std::string expected;
  {
    OutputStream out;
    ASSERT_TRUE(out.open(file, false));
    for (const size_t size : {size_t{7}, size_t{65529}, size_t{1}, size_t{65535}, size_t{65536}, size_t{3},
                              size_t{200000}, size_t{65536 * 2 - 5}, size_t{9}}) {
      const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
      out.write(piece);
      expected += piece;
      if (size == 3) {
        OutputStream moving = std::move(out);
        out = std::move(moving);
      }
    }
    EXPECT_TRUE(out.close());
    out.write("x");  // closed: fails, writes nothing
    EXPECT_FALSE(out.ok());
  }
  EXPECT_EQ(contents(file), expected);
  std::filesystem::remove(file);
}

TEST(OutputStreamTest, FailuresAreRemembered) {
  OutputStream closed;
  closed.write("x");  // never opened
  EXPECT_FALSE(closed.ok());

  // A pipe whose reader has gone.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[0]);
  OutputStream pipeOut;
  ASSERT_TRUE(pipeOut.open("/dev/fd/" + std::to_string(ends[1]), false));
  close(ends[1]);
  pipeOut.write("nobody reads this\n");
  std::string reason;
  EXPECT_FALSE(pipeOut.close(&reason));
  EXPECT_EQ(reason, "Broken pipe");
}

// A file is replaced only when the stream closes with everything written:
// until then, and after a stream that is dropped unclosed, readers find
// the old file, and no temporary file stays beside it.
TEST(OutputStreamTest, ReplacesTheFileWhenComplete) {
  const ScratchDir dir;
  const std::string file = dir.write("table.txt", "old table\n");
  ::chmod(file.c_str(), 0640);
  const auto others = [&dir] {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      count += entry.path().filename() != "table.txt" ? 1 : 0;
    return count;
  };
  {
    OutputStream out;
    ASSERT_TRUE(out.open(file, false));
    out.write(std::string(200000, 'n'));
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(contents(file), "old table\n");
    EXPECT_EQ(others(), 1);  // the temporary file
  }  // dropped without close(): nothing is put in place
  EXPECT_EQ(contents(file), "old table\n");
  EXPECT_EQ(others(), 0);

  OutputStream out;
  ASSERT_TRUE(out.open(file, false));
  out.write("new table\n");
  EXPECT_TRUE(out.close());
  EXPECT_EQ(contents(file), "new table\n");
  EXPECT_EQ(others(), 0);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);  // the replaced file's permissions

  // A link the caller names is followed: its target is replaced, the link
  // stays a link.
  const std::string link = dir.file("link.txt");
  ASSERT_EQ(::symlink("table.txt", link.c_str()), 0);
  ASSERT_TRUE(out.open(link, false));
  out.write("through the link\n");
  EXPECT_TRUE(out.close());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(contents(file), "through the link\n");
}

TEST(OutputStreamTest, DevicesAreWrittenAsTheyAre) {
  EXPECT_TRUE(isDeviceOutput("/dev/null"));
  EXPECT_TRUE(isDeviceOutput("/dev/stdout"));
  EXPECT_TRUE(isDeviceOutput("/dev/fd/7"));
  EXPECT_FALSE(isDeviceOutput("/tmp"));
  EXPECT_FALSE(isDeviceOutput("table.txt"));
  OutputStream out;
  ASSERT_TRUE(out.open("/dev/null", false));
  out.write("gone");
  EXPECT_TRUE(out.close());
}

}  // namespace
}  // namespace comptab
