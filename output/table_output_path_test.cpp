// The file names of a run's tables: which destination names may become
// part of a path, and tables that would share a file.
#include "output/table_output_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace comptab {
namespace {

TEST(TableOutputPath, DestinationNamesThatStayInTheFolder) {
  EXPECT_EQ(tableOutputPath("out/bom-$DEST.csv", "LITE"), "out/bom-LITE.csv");
  EXPECT_EQ(tableOutputPath("$DEST/$DEST.txt", "A"), "A/A.txt");
  EXPECT_TRUE(namesFilePerDestination("out/$DEST.csv"));
  EXPECT_FALSE(namesFilePerDestination("out/bom.csv"));
  struct Case {
    std::string name;
    bool fits;
  };
  const Case cases[] = {
      {"LITE", true},          {"_TOBOARD", true},     {"a.b", true},       {".hidden", true},
      {"", false},             {".", false},           {"..", false},       {"../PWNED", false},
      {"x/../A", false},       {"/etc/x", false},      {"a..b", false},     {std::string("A\0B", 3), false},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(destinationFitsPath(c.name, &reason), c.fits) << c.name;
    EXPECT_EQ(reason.empty(), c.fits) << c.name;
  }
}

TEST(TableOutputPath, TheFirstTableWhoseFileIsTaken) {
  EXPECT_EQ(firstSharedPath({}), 0u);
  EXPECT_EQ(firstSharedPath({"out/A.csv", "out/B.csv"}), 2u);
  EXPECT_EQ(firstSharedPath({"out/A.csv", "out/B.csv", "out/A.csv"}), 2u);
  EXPECT_EQ(firstSharedPath({"x", "x"}), 1u);
}

}  // namespace
}  // namespace comptab
