#include "platform/data_resource.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
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
    path = dir.file("design/data/kordata.rsc", text);
    return DataResource::open(path, DataResource::kReadOnly, dir.path() + "/design", reason);
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
      {1000, 0, "0.000"},
      {1000, 1234, "1.234"},
      {1000, -1234, "-1.234"},
      {1000, 1, "0.001"},
      {1000, -1, "-0.001"},
      {3, 2, "0.667"},
      {3, -2, "-0.667"},
      {1, INT32_MAX, "2147483647.000"},
      {1, INT32_MIN, "-2147483648.000"},
      {1000, INT32_MIN, "-2147483.648"},
      {INT32_MAX, INT32_MAX, "1.000"},
      {INT32_MAX, INT32_MIN, "-1.000"},
      {254, 2540, "10.000"},
  };
  for (const Case& c : cases) {
    const auto resource = openText(strprintf("unitsPerUserUnit = %d\n", c.units));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->unitsPerUserUnit(), c.units);
    EXPECT_EQ(strprintf("%.3f", resource->decode(c.v)), c.printed) << c.units << " " << c.v;
  }
  // Division by an integer unit count is exact where the quotient is.
  const auto resource = openText("unitsPerUserUnit = 1000\n");
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(resource->decode(2500), 2.5);
  EXPECT_EQ(resource->decode(-2500), -2.5);
}

TEST_F(DataResourceTest, KcdbLocation) {
  ::setenv("COMPTAB_TEST_LIB", "/opt/lib", 1);
  ::setenv("COMPTAB_TEST_REL", "shared", 1);
  ::unsetenv("COMPTAB_TEST_NONE");
  const std::string design = dir.path() + "/design";
  struct Case {
    const char* line;      // "" for no kcdb key
    std::string expected;  // the path
    bool problem;          // kcdbProblem() not empty
  } cases[] = {
      {"", "", false},
      {"kcdb = \"\"", "", false},
      {"kcdb = \"/abs/kcdb.db\"", "/abs/kcdb.db", false},
      {"kcdb = \"kcdb.db\"", design + "/data/kcdb.db", false},
      {"kcdb = \"../lib/./kcdb.db\"", design + "/lib/kcdb.db", false},
      {"kcdb = \"$COMPTAB_TEST_LIB/kcdb.db\"", "/opt/lib/kcdb.db", false},
      {"kcdb = \"${COMPTAB_TEST_REL}/kcdb.db\"", design + "/data/shared/kcdb.db", false},
      {"kcdb = \"$CIR/kcdb.db\"", design + "/kcdb.db", false},
      {"kcdb = \"$CIR\"", design, false},
      {"kcdb = \"$CIR/$COMPTAB_TEST_REL/k.db\"", design + "/shared/k.db", false},
      {"kcdb = \"$COMPTAB_TEST_NONE/kcdb.db\"", "", true},
      {"kcdb = \"${COMPTAB_TEST_LIB/kcdb.db\"", "", true},
      // Not the design directory: an environment variable CIRCUIT, unset.
      {"kcdb = \"$CIRCUIT/kcdb.db\"", "", true},
  };
  for (const Case& c : cases) {
    const auto resource = openText(std::string("unitsPerUserUnit = 1000\n") + c.line + "\n");
    ASSERT_NE(resource, nullptr) << c.line;
    EXPECT_EQ(resource->kcdbPath(), c.expected) << c.line;
    EXPECT_EQ(resource->kcdbProblem().empty(), !c.problem) << c.line;
    if (c.problem) {
      EXPECT_EQ(resource->kcdbProblem().rfind(path + ": kcdb, the text ", 0), 0u) << resource->kcdbProblem();
    }
  }
  // Without a design directory "$CIR" cannot be placed.
  path = dir.file("k.rsc", "unitsPerUserUnit = 1\nkcdb = \"$CIR/k.db\"\n");
  const auto resource = DataResource::open(path, DataResource::kReadOnly, "");
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(resource->kcdbPath(), "");
  EXPECT_EQ(resource->kcdbProblem(),
            path + ": kcdb, the text \"$CIR/k.db\", starts with $CIR but there is no design directory");
}

TEST_F(DataResourceTest, BrokenFilesGiveTheirReason) {
  struct Case {
    const char* text;
    const char* reason;  // after "<path>: "
  } cases[] = {
      {"", "unitsPerUserUnit is missing"},
      {"# only a comment\n", "unitsPerUserUnit is missing"},
      {"[units]\nunitsPerUserUnit = 1000\n", "unitsPerUserUnit is missing"},
      {"unitsPerUserUnit = 0\n", "unitsPerUserUnit must be an integer from 1 to 2147483647, not 0"},
      {"unitsPerUserUnit = -1000\n", "unitsPerUserUnit must be an integer from 1 to 2147483647, not -1000"},
      {"unitsPerUserUnit = 2147483648\n", "unitsPerUserUnit must be an integer from 1 to 2147483647, not 2147483648"},
      {"unitsPerUserUnit = 99999999999999999\n",
       "unitsPerUserUnit must be an integer from 1 to 2147483647, not 99999999999999999"},
      {"unitsPerUserUnit = \"1000\"\n",
       "unitsPerUserUnit must be an integer from 1 to 2147483647, not the text \"1000\""},
      {"unitsPerUserUnit = 1000.0\n", "unitsPerUserUnit must be an integer from 1 to 2147483647, not 1000.0"},
      {"unitsPerUserUnit = true\n", "unitsPerUserUnit must be an integer from 1 to 2147483647, not true"},
      {"unitsPerUserUnit = [1000]\n", "unitsPerUserUnit must be an integer from 1 to 2147483647, not an array"},
      {"unitsPerUserUnit = { mm = 1000 }\n",
       "unitsPerUserUnit must be an integer from 1 to 2147483647, not a table or an array of mixed rows"},
      {"unitsPerUserUnit = 1000\nkcdb = 5\n", "kcdb must be a string (the path of the KCDB), not 5"},
      {"unitsPerUserUnit = 1000\nkcdb = [\"a\"]\n", "kcdb must be a string (the path of the KCDB), not an array"},
      {"formatVersion = 2\nunitsPerUserUnit = 1000\n", "formatVersion 2 is not one this program reads (it reads 1)"},
      {"formatVersion = \"1\"\nunitsPerUserUnit = 1000\n",
       "formatVersion the text \"1\" is not one this program reads (it reads 1)"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(openText(c.text, &reason), nullptr) << c.text;
    EXPECT_EQ(reason, path + ": " + c.reason);
  }
}

TEST_F(DataResourceTest, UnreadableFilesGiveTheParserOrSystemReason) {
  struct Case {
    std::string text;
    const char* fragment;
  } cases[] = {
      {"unitsPerUserUnit = \n", ":1:"},
      {"unitsPerUserUnit = 1000\nunitsPerUserUnit = 10\n", ":2:"},
      {"unitsPerUserUnit = 1000\nkcdb = \"\xFF\xFE\"\n", ":2:"},
      {std::string("\x00\x01\x02garbage", 10), ":1:"},
      {"unitsPerUserUnit = 1000\n# comment \xC3\n", ":2:"},
  };
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_EQ(openText(c.text, &reason), nullptr) << c.text;
    EXPECT_EQ(reason.rfind(path + c.fragment, 0), 0u) << reason;
  }
  std::string reason;
  const std::string missing = dir.path() + "/none/kordata.rsc";
  EXPECT_EQ(DataResource::open(missing, DataResource::kReadOnly, dir.path(), &reason), nullptr);
  EXPECT_EQ(reason, missing + ":1:1: cannot open the file: No such file or directory");
  EXPECT_EQ(DataResource::open(dir.path(), DataResource::kReadOnly, dir.path(), &reason), nullptr);
  EXPECT_EQ(reason, dir.path() + ":1:1: this is a directory, not a file");
  EXPECT_EQ(openText("unitsPerUserUnit = 1000\n#" + std::string(9u << 20, 'x') + "\n", &reason), nullptr);
  EXPECT_EQ(reason, path + ":1:1: the file is larger than the 8388608 bytes a resource file may have");
  // Without room for a reason the failure is the same.
  EXPECT_EQ(DataResource::open(missing, DataResource::kReadOnly, dir.path()), nullptr);
}

TEST_F(DataResourceTest, OnlyTheReadModeOpens) {
  path = dir.file("k.rsc", "unitsPerUserUnit = 1000\n");
  std::string reason;
  EXPECT_EQ(DataResource::open(path, 1, "", &reason), nullptr);
  EXPECT_EQ(reason, path + ": open mode 1 is not supported (data resources open with mode 2, to read)");
  EXPECT_NE(DataResource::open(path, 2, ""), nullptr);
}

}  // namespace
}  // namespace comptab
