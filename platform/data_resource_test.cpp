#include "platform/data_resource.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "platform/scratch_dir.h"
#include "platform/text.h"

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

TEST_F(DataResourceTest, DecodesIntoUserUnits) {
  struct Case {
    int32_t units;
    int32_t v;
    const char* printed;  // as the extraction prints positions
  } cases[] = {
      {1000, -1234, "-1.234"},
      {3, 2, "0.667"},  // not an integer division
      {INT32_MAX, INT32_MIN, "-1.000"},
  };
  for (const Case& c : cases) {
    const auto resource = openText(strprintf("unitsPerUserUnit = %d\n", c.units));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(strprintf("%.3f", resource->decode(c.v)), c.printed) << c.units << " " << c.v;
  }
}

TEST_F(DataResourceTest, KcdbLocation) {
  ::setenv("COMPTAB_TEST_LIB", "/opt/lib", 1);
  ::unsetenv("COMPTAB_TEST_NONE");
  const std::string design = dir.file("design");
  struct Case {
    const char* line;      // "" for no kcdb key
    std::string expected;  // the path
    bool problem;          // kcdbProblem() not empty
  } cases[] = {
      {"", "", false},
      {"kcdb = \"\"", "", false},
      {"kcdb = \"/abs/kcdb.db\"", "/abs/kcdb.db", false},
      {"kcdb = \"../lib/./kcdb.db\"", design + "/lib/kcdb.db", false},  // from the resource's own directory
      {"kcdb = \"$COMPTAB_TEST_LIB/kcdb.db\"", "/opt/lib/kcdb.db", false},
      {"kcdb = \"$CIR/kcdb.db\"", design + "/kcdb.db", false},
      {"kcdb = \"$CIR\"", design, false},
      {"kcdb = \"$COMPTAB_TEST_NONE/kcdb.db\"", "", true},
      // Not the design directory: an environment variable CIRCUIT, unset.
      {"kcdb = \"$CIRCUIT/kcdb.db\"", "", true},
  };
  for (const Case& c : cases) {
    const auto resource = openText(std::string("unitsPerUserUnit = 1000\n") + c.line + "\n");
    ASSERT_NE(resource, nullptr) << c.line;
    EXPECT_EQ(resource->kcdbPath(), c.expected) << c.line;
    EXPECT_EQ(resource->kcdbProblem().rfind(path + ": kcdb, the text ", 0), c.problem ? 0u : std::string::npos)
        << resource->kcdbProblem();
  }
  // Without a design directory "$CIR" cannot be placed.
  path = dir.write("k.rsc", "unitsPerUserUnit = 1\nkcdb = \"$CIR/k.db\"\n");
  const auto resource = DataResource::open(path, DataResource::kReadOnly, "");
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(resource->kcdbPath(), "");
  EXPECT_EQ(resource->kcdbProblem(),
            path + ": kcdb, the text \"$CIR/k.db\", starts with $CIR but there is no design directory");
}

// The first reasons are shown whole, the rest by how they start; between
// them every kind of value a reason can describe.
TEST_F(DataResourceTest, BrokenFilesGiveTheirReason) {
  const std::string units = "unitsPerUserUnit must be an integer from 1 to 2147483647, not ";
  struct Case {
    const char* text;
    std::string reason;  // how it starts after "<path>: "
  } cases[] = {
      {"[units]\nunitsPerUserUnit = 1000\n", "unitsPerUserUnit is missing"},
      {"unitsPerUserUnit = 0\n", units + "0"},
      {"unitsPerUserUnit = 2147483648\n", units + "2147483648"},
      {"unitsPerUserUnit = \"1000\"\n", units + "the text \"1000\""},
      {"unitsPerUserUnit = [1000]\n", units + "an array"},
      {"unitsPerUserUnit = { mm = 1000 }\n", units + "a table or an array of mixed rows"},
      {"unitsPerUserUnit = 1000\nkcdb = 5\n", "kcdb must be a string"},
      {"formatVersion = 2\nunitsPerUserUnit = 1000\n", "formatVersion 2 is not one this program reads (it reads 1)"},
      {"formatVersion = \"1\"\nunitsPerUserUnit = 1000\n", "formatVersion the text \"1\" is not one"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(openText(c.text, &reason), nullptr) << c.text;
    EXPECT_EQ(reason.rfind(path + ": " + c.reason, 0), 0u) << reason;
  }
}

TEST_F(DataResourceTest, UnreadableFilesGiveTheParserOrSystemReason) {
  std::string reason;
  EXPECT_EQ(openText("unitsPerUserUnit = 1000\nkcdb = \"\xFF\xFE\"\n", &reason), nullptr);
  EXPECT_EQ(reason.rfind(path + ":2:", 0), 0u) << reason;
  const std::string missing = dir.file("none/kordata.rsc");
  EXPECT_EQ(DataResource::open(missing, DataResource::kReadOnly, dir.path(), &reason), nullptr);
  EXPECT_EQ(reason, missing + ":1:1: cannot open the file: No such file or directory");
  // Without room for a reason the failure is the same.
  EXPECT_EQ(DataResource::open(missing, DataResource::kReadOnly, dir.path()), nullptr);
}

TEST_F(DataResourceTest, OnlyTheReadModeOpens) {
  path = dir.write("k.rsc", "unitsPerUserUnit = 1000\n");
  std::string reason;
  EXPECT_EQ(DataResource::open(path, 1, "", &reason), nullptr);
  EXPECT_EQ(reason, path + ": open mode 1 is not supported (data resources open with mode 2, to read)");
  EXPECT_NE(DataResource::open(path, 2, ""), nullptr);
}

}  // namespace
}  // namespace comptab
