#include "platform/rsc/data_resource.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "platform/support/scratch_dir.h"
#include "platform/support/text.h"

namespace comptab {
namespace {

class DataResourceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }

  // Opens a data resource written from `text` at design/data/kordata.rsc.
  std::unique_ptr<DataResource> openText(const std::string& text, std::string* reason = nullptr) {
    path = dir.write("design/data/kordata.rsc", text);
    return DataResource::open(path, DataResource::kReadOnly, dir.file("design"), reason);
  }

  ScratchDir dir;
  std::string path;
};

// Also: without a design directory "$CIR" cannot be placed.
TEST_F(DataResourceTest, DecodesIntoUserUnits) {
  path = dir.write("k.rsc", "unitsPerUserUnit = 3\nkcdb = \"$CIR/k.db\"\n");
  const auto thirds = DataResource::open(path, 2, "");
  ASSERT_NE(thirds, nullptr);
  EXPECT_EQ(strprintf("%.3f", thirds->decode(-2)), "-0.667");  // not an integer division
  std::string problem;
  EXPECT_EQ(thirds->kcdbPath(&problem), "");
  EXPECT_EQ(problem, path + ": kcdb, the text \"$CIR/k.db\", starts with $CIR but there is no design directory");
  const auto most = openText("unitsPerUserUnit = 2147483647\n");
  ASSERT_NE(most, nullptr);
  EXPECT_NEAR(most->decode(INT32_MIN), -1.0, 1e-6);  // no overflow on the way
}

TEST_F(DataResourceTest, KcdbLocation) {
  ::setenv("COMPTAB_TEST_LIB", "/opt/lib", 1);
  const std::string design = dir.file("design");
  // The kcdb line, the path, whether a problem is told.
  const std::tuple<const char*, std::string, bool> cases[] = {
      {"", "", false},
      {"kcdb = \"\"", "", false},
      {"kcdb = \"/abs/kcdb.db\"", "/abs/kcdb.db", false},
      {"kcdb = \"../lib/./kcdb.db\"", design + "/lib/kcdb.db", false},  // from the resource's own directory
      {"kcdb = \"$COMPTAB_TEST_LIB/kcdb.db\"", "/opt/lib/kcdb.db", false},
      {"kcdb = \"$CIR/kcdb.db\"", design + "/kcdb.db", false},
      {"kcdb = \"$CIR\"", design, false},
      // Not the design directory: an environment variable CIRCUIT, and unset.
      {"kcdb = \"$CIRCUIT/kcdb.db\"", "", true},
  };
  for (const auto& [line, expected, problem] : cases) {
    const auto resource = openText(std::string("unitsPerUserUnit = 1000\n") + line + "\n");
    ASSERT_NE(resource, nullptr) << line;
    std::string told;
    EXPECT_EQ(resource->kcdbPath(&told), expected) << line;
    EXPECT_EQ(told.rfind(path + ": kcdb, the text ", 0), problem ? 0u : std::string::npos) << told;
  }
}

// The first reasons are shown whole, the rest by how they start; between
// them the kinds of value a reason can describe that no end-to-end case
// shows (a missing key, a text and a value of 0 are run end to end).
TEST_F(DataResourceTest, BrokenFilesGiveTheirReason) {
  const std::string units = "unitsPerUserUnit must be an integer from 1 to 2147483647, not ";
  const std::pair<const char*, std::string> cases[] = {
      {"unitsPerUserUnit = 2147483648\n", units + "2147483648"},
      {"unitsPerUserUnit = [1000]\n", units + "an array"},
      {"unitsPerUserUnit = 1000\nkcdb = 5\n", "kcdb must be a string"},
      {"formatVersion = 2\nunitsPerUserUnit = 1000\n", "formatVersion 2 is not one this program reads (it reads 1)"},
  };
  for (const auto& [text, expected] : cases) {
    std::string reason;
    EXPECT_EQ(openText(text, &reason), nullptr) << text;
    EXPECT_EQ(reason.rfind(path + ": " + expected, 0), 0u) << reason;
  }
}

}  // namespace
}  // namespace comptab
