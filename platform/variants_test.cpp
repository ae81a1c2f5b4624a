// The variant specs, good and broken, and how a component's values are
// evaluated per destination.
#include "platform/variants.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/test_files.h"

namespace comptab {
namespace {

class VariantSpecTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.dir().empty()); }
  TestFiles files;
};

TEST_F(VariantSpecTest, SystemSpecReadsTheSeparatorAndTheToBoardKeys) {
  std::string why;
  auto spec = VariantSysSpec::open(files.write("a.rsc", "separator = \"#\"\n"), 2, &why);
  ASSERT_NE(spec, nullptr) << why;
  EXPECT_EQ(spec->separator(), '#');
  EXPECT_EQ(spec->toBoardProperty(), "fitted");
  EXPECT_EQ(spec->toBoardDefault(), "YES");
  spec = VariantSysSpec::open(
      files.write("b.rsc", "separator = '~'\ntoBoardProperty = \"mount\"\ntoBoardDefault = \"\"\n"), 2, &why);
  ASSERT_NE(spec, nullptr) << why;
  EXPECT_EQ(spec->separator(), '~');
  EXPECT_EQ(spec->toBoardProperty(), "mount");
  EXPECT_EQ(spec->toBoardDefault(), "");
}

TEST_F(VariantSpecTest, BrokenSystemSpecs) {
  const std::string oneChar = ": separator must be one printable ASCII character other than a space";
  struct Case {
    const char* text;
    std::string reason;  // after the path
  } cases[] = {
      {"separator = \n", ":1:13: "},  // the TOML reader's own words follow
      {"toBoardProperty = \"fitted\"\n", ": the key \"separator\" is missing"},
      {"separator = \"\"\n", oneChar},
      {"separator = \"ab\"\n", oneChar},
      {"separator = \" \"\n", oneChar},
      {"separator = \"\xC2\xA7\"\n", oneChar},
      {"separator = 5\n", oneChar},
      {"separator = \"@\"\ntoBoardProperty = 5\n", ": toBoardProperty must be a text in quotes"},
      {"separator = \"@\"\ntoBoardDefault = [\"YES\"]\n", ": toBoardDefault must be a text in quotes"},
      {"separator = \"@\"\ntoBoardProperty = \"fit@ted\"\n",
       ": toBoardProperty must be a property name without the separator"},
      {"separator = \"@\"\ntoBoardProperty = \"\"\n",
       ": toBoardProperty must be a property name without the separator"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string path = files.write("s.rsc", c.text);
    std::string why;
    EXPECT_EQ(VariantSysSpec::open(path, 2, &why), nullptr);
    EXPECT_EQ(why.substr(0, path.size() + c.reason.size()), path + c.reason);
  }
  std::string why;
  EXPECT_EQ(VariantSysSpec::open(files.path("none.rsc"), 2, &why), nullptr);
  EXPECT_NE(why.find("none.rsc"), std::string::npos) << why;
  EXPECT_EQ(VariantSysSpec::open(files.path("none.rsc"), 2), nullptr);  // the reason is optional
}

TEST_F(VariantSpecTest, DataSpecKeepsTheStoredOrderAndExactNames) {
  std::string why;
  const auto spec =
      VariantDataSpec::open(files.write("d.rsc", "destinations = [\"PRO\", \"LITE\", \"lite\"]\n"), 2, &why);
  ASSERT_NE(spec, nullptr) << why;
  ASSERT_EQ(spec->count(), 3u);
  EXPECT_EQ(spec->name(0), "PRO");
  EXPECT_EQ(spec->name(1), "LITE");
  EXPECT_EQ(spec->name(2), "lite");
  ASSERT_NE(spec->lookup("LITE"), nullptr);
  EXPECT_EQ(spec->lookup("LITE")->index(), 1u);
  EXPECT_EQ(spec->lookup("lite")->name(), "lite");
  EXPECT_EQ(spec->lookup("Pro"), nullptr);
  EXPECT_EQ(spec->lookup("_TOBOARD"), nullptr);
  EXPECT_EQ(spec->lookup(""), nullptr);

  const auto none = VariantDataSpec::open(files.write("e.rsc", "destinations = []\n"), 2, &why);
  ASSERT_NE(none, nullptr) << why;
  EXPECT_EQ(none->count(), 0u);
}

TEST_F(VariantSpecTest, BrokenDataSpecs) {
  struct Case {
    const char* text;
    const char* reason;  // after the path
  } cases[] = {
      {"destinations = [\n", ":1:18: "},
      {"names = [\"A\"]\n", ": the key \"destinations\" is missing"},
      {"destinations = \"A\"\n", ": destinations must be a list of names: [\"A\", \"B\"]"},
      {"destinations = [[\"A\", \"x\"]]\n", ": destinations must be a list of names: [\"A\", \"B\"]"},
      {"destinations = [\"A\", 2]\n", ": destination 2 must be a name in quotes"},
      {"destinations = [\"\"]\n", ": destination 1 must be a name in quotes"},
      {"destinations = [\"A\", \"_TOBOARD\"]\n",
       ": destination 2: _TOBOARD stands for the board itself and is not a destination"},
      {"destinations = [\"A\", \"B\", \"A\"]\n", ": destination 3: \"A\" is listed twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string path = files.write("d.rsc", c.text);
    std::string why;
    EXPECT_EQ(VariantDataSpec::open(path, 2, &why), nullptr);
    EXPECT_EQ(why.substr(0, path.size() + std::strlen(c.reason)), path + c.reason);
  }
}

// A component with a base value and a PRO value, a value only for PRO, a
// LITE-only fitting, and a variant of a destination nobody lists.
const char* const kSheet = R"({"formatVersion": 1, "sheet": {"region": [0, 0, 10, 10]}, "components": [
  {"number": 1, "type": "parts", "position": [0, 0], "properties": [
    ["reference", "C1"], ["value", "10u"], ["value@PRO", "22u"], ["tol@PRO", "5%"], ["fitted@LITE", "NO"],
    ["note@OTHER", "x"], ["@PRO", "nameless"]]},
  {"number": 2, "type": "parts", "position": [0, 0], "properties": [["reference", "R1"], ["note@OTHER", "x"]]},
  {"number": 3, "type": "parts", "position": [0, 0], "properties": [["fitted", "NO"], ["fitted@PRO", "YES"]]}
]})";

class VariantComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(files.dir().empty());
    std::string why;
    sysSpec = VariantSysSpec::open(files.write("vmsys.rsc", "separator = \"@\"\n"), 2, &why);
    ASSERT_NE(sysSpec, nullptr) << why;
    dataSpec = VariantDataSpec::open(files.write("vmdata.rsc", "destinations = [\"LITE\", \"PRO\"]\n"), 2, &why);
    ASSERT_NE(dataSpec, nullptr) << why;
    db = DesignDb::open(nullptr, files.write("s.sht", kSheet), 2);
    ASSERT_TRUE(db.isValid()) << db.reason();
    sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  }
  TestFiles files;
  std::unique_ptr<VariantSysSpec> sysSpec;
  std::unique_ptr<VariantDataSpec> dataSpec;
  DesignDb db;
  SheetRef sheet;
};

TEST_F(VariantComponentTest, ValuesPerDestination) {
  VariantComponent variant(*sysSpec, *dataSpec);
  variant.assign(sheet.component(1));
  const Destination* lite = dataSpec->lookup("LITE");
  const Destination* pro = dataSpec->lookup("PRO");
  struct Case {
    const char* name;
    const Destination* destination;
    bool found;
    const char* value;
    unsigned flag;
  } cases[] = {
      {"value", nullptr, true, "10u", 0},
      {"value", pro, true, "22u", VariantComponent::kFromDestination},
      {"value", lite, true, "10u", 0},
      {"tol", pro, true, "5%", VariantComponent::kFromDestination},
      {"tol", lite, false, "", 0},
      {"tol", nullptr, false, "", 0},
      {"fitted", lite, true, "NO", VariantComponent::kFromDestination},
      {"fitted", pro, false, "", 0},
      {"note", pro, false, "", 0},
      {"reference", pro, true, "C1", 0},
      {"Value", pro, false, "", 0},
      {"", pro, false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " for " + (c.destination ? c.destination->name() : "the board"));
    std::string value = "stale";
    unsigned flag = 99;
    EXPECT_EQ(variant.getProperty(c.name, value, flag, c.destination), c.found);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(flag, c.flag);
  }
  EXPECT_TRUE(variant.hasDestination(nullptr));
  EXPECT_TRUE(variant.hasDestination(lite));
  EXPECT_TRUE(variant.hasDestination(pro));
  EXPECT_EQ(variant.toBoard().value(), "YES");
}

TEST_F(VariantComponentTest, OnlyKnownDestinationsCount) {
  VariantComponent variant(*sysSpec, *dataSpec);
  variant.assign(sheet.component(2));
  EXPECT_FALSE(variant.hasDestination(nullptr));
  EXPECT_FALSE(variant.hasDestination(dataSpec->lookup("PRO")));
  // Assigning again forgets the first component.
  variant.assign(sheet.component(1));
  EXPECT_TRUE(variant.hasDestination(nullptr));
  variant.assign(ComponentRef());
  EXPECT_FALSE(variant.hasDestination(nullptr));
}

TEST_F(VariantComponentTest, ToBoardValueAndItsDefault) {
  VariantComponent variant(*sysSpec, *dataSpec);
  variant.assign(sheet.component(3));
  EXPECT_EQ(variant.toBoard().value(), "NO");  // the destination's YES is not the board's
  std::string why;
  const auto other = VariantSysSpec::open(
      files.write("other.rsc", "separator = \"@\"\ntoBoardProperty = \"mount\"\ntoBoardDefault = \"MAYBE\"\n"), 2,
      &why);
  ASSERT_NE(other, nullptr) << why;
  VariantComponent mounted(*other, *dataSpec);
  mounted.assign(sheet.component(3));
  EXPECT_EQ(mounted.toBoard().value(), "MAYBE");
}

TEST_F(VariantComponentTest, ADestinationOfAnotherSpecIsTheBoard) {
  std::string why;
  const auto stranger = VariantDataSpec::open(files.write("x.rsc", "destinations = [\"PRO\"]\n"), 2, &why);
  ASSERT_NE(stranger, nullptr) << why;
  VariantComponent variant(*sysSpec, *dataSpec);
  variant.assign(sheet.component(1));
  std::string value;
  unsigned flag = 0;
  EXPECT_TRUE(variant.getProperty("value", value, flag, stranger->lookup("PRO")));
  EXPECT_EQ(value, "10u");
  EXPECT_EQ(flag, 0u);
}

TEST(VariantShippedFiles, SuiteSpecAndExampleDataWorkWithTheExampleBoard) {
  const std::string root = COMPTAB_SOURCE_ROOT;
  std::string why;
  const auto sysSpec = VariantSysSpec::open(root + "/suite/system/vmsys.rsc", 2, &why);
  ASSERT_NE(sysSpec, nullptr) << why;
  const auto dataSpec = VariantDataSpec::open(root + "/examples/data/vmdata.rsc", 2, &why);
  ASSERT_NE(dataSpec, nullptr) << why;
  ASSERT_EQ(dataSpec->count(), 2u);
  const DesignDb db = DesignDb::open(nullptr, root + "/examples/board.sht", 2);
  ASSERT_TRUE(db.isValid()) << db.reason();
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  VariantComponent variant(*sysSpec, *dataSpec);
  std::string value;
  unsigned flag = 0;
  variant.assign(sheet.component(6));  // C1
  EXPECT_TRUE(variant.getProperty("value", value, flag, dataSpec->lookup("PRO")));
  EXPECT_EQ(value, "22u");
  variant.assign(sheet.component(5));  // R2
  EXPECT_TRUE(variant.getProperty("fitted", value, flag, dataSpec->lookup("LITE")));
  EXPECT_EQ(value, "NO");
  EXPECT_EQ(variant.toBoard().value(), "YES");
  variant.assign(sheet.component(4));  // R1
  EXPECT_FALSE(variant.hasDestination(nullptr));
}

}  // namespace
}  // namespace comptab
