// The two variant files, good and broken, and how a component's values are
// evaluated per destination.
#include "platform/sheet/variants.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

// A component with a base value and a PRO value, a value only for PRO, a
// LITE-only fitting, a variant of a destination nobody lists and one with
// no base name.
const char* const kSheet = R"({"formatVersion": 1, "sheet": {"region": [0, 0, 10, 10]}, "components": [
  {"number": 1, "type": "parts", "position": [0, 0], "properties": [
    ["reference", "C1"], ["value", "10u"], ["value@PRO", "22u"], ["tol@PRO", "5%"], ["fitted@LITE", "NO"],
    ["note@OTHER", "x"], ["@PRO", "nameless"]]},
  {"number": 2, "type": "parts", "position": [0, 0], "properties": [["reference", "R1"], ["note@OTHER", "x"]]},
  {"number": 3, "type": "parts", "position": [0, 0], "properties": [["fitted", "NO"], ["fitted@PRO", "YES"]]}
]})";

class VariantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(files.path().empty());
    std::string why;
    sysSpec = VariantSysSpec::open(files.write("vmsys.rsc", "separator = \"@\"\n"), 2, &why);
    ASSERT_NE(sysSpec, nullptr) << why;
    dataSpec = VariantDataSpec::open(files.write("vmdata.rsc", "destinations = [\"LITE\", \"PRO\"]\n"), 2, &why);
    ASSERT_NE(dataSpec, nullptr) << why;
    db = DesignDb::open(nullptr, files.write("s.sht", kSheet), 2, &why);
    ASSERT_TRUE(db.isValid()) << why;
    sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  }
  ScratchDir files;
  std::unique_ptr<VariantSysSpec> sysSpec;
  std::unique_ptr<VariantDataSpec> dataSpec;
  DesignDb db;
  SheetRef sheet;
};

// A reason starts with the file's path, then the words shown here. A key
// missing, of the wrong type or cut short is run end to end.
TEST_F(VariantTest, BrokenVariantFiles) {
  // Whether it is the system file (else the data file), its text, the reason.
  const std::tuple<bool, const char*, const char*> cases[] = {
      {true, "separator = \"ab\"\n", ": separator must be one printable ASCII character other than a space"},
      {true, "separator = \" \"\n", ": separator must be one"},
      {true, "separator = \"@\"\ntoBoardProperty = 5\n", ": toBoardProperty must be a text in quotes"},
      {true, "separator = \"@\"\ntoBoardProperty = \"fit@ted\"\n", ": toBoardProperty must be a property name"},
      {false, "destinations = [\"A\", 2]\n", ": destination 2 must be a name in quotes"},
      {false, "destinations = [\"A\", \"_TOBOARD\"]\n", ": destination 2: _TOBOARD stands for the board itself"},
      {false, "destinations = [\"A\", \"B\", \"A\"]\n", ": destination 3: \"A\" is listed twice"},
  };
  for (const auto& [system, text, reason] : cases) {
    const std::string path = files.write("s.rsc", text);
    std::string why;
    const bool opened = system ? !!VariantSysSpec::open(path, 2, &why) : !!VariantDataSpec::open(path, 2, &why);
    EXPECT_FALSE(opened) << text;
    EXPECT_EQ(why.rfind(path + reason, 0), 0u) << why;
  }
}

TEST_F(VariantTest, ValuesPerDestination) {
  // Its PRO is not ours: it counts as the board.
  const auto stranger = VariantDataSpec::open(files.write("x.rsc", "destinations = [\"PRO\"]\n"), 2);
  ASSERT_NE(stranger, nullptr);
  VariantComponent variant(*sysSpec, *dataSpec);
  variant.assign(sheet.component(1));
  const Destination* lite = dataSpec->lookup("LITE");
  const Destination* pro = dataSpec->lookup("PRO");
  const Destination* theirs = stranger->lookup("PRO");
  // Name, destination, value/flag ("-" first when not found).
  const std::tuple<const char*, const Destination*, const char*> cases[] = {
      {"value", nullptr, "10u/0"}, {"value", pro, "22u/1"}, {"value", lite, "10u/0"},
      {"tol", lite, "-/0"},        {"tol", nullptr, "-/0"}, {"fitted", lite, "NO/1"},
      {"note", pro, "-/0"},        {"Value", pro, "-/0"},   {"", pro, "-/0"},
      {"value", theirs, "10u/0"}};
  for (const auto& [name, destination, expected] : cases) {
    std::string value = "stale";
    unsigned flag = 99;
    const bool found = variant.getProperty(name, value, flag, destination);
    EXPECT_EQ((found ? value : "-" + value) + "/" + std::to_string(flag), expected)
        << name << " for " << (destination ? destination->name() : "the board");
  }
  EXPECT_TRUE(variant.hasDestination(nullptr) && variant.hasDestination(lite) && variant.hasDestination(pro));
  EXPECT_EQ(variant.toBoard().value(), "YES");
  // Assigning again forgets the first component; only known destinations count.
  variant.assign(sheet.component(2));
  EXPECT_FALSE(variant.hasDestination(nullptr) || variant.hasDestination(pro));
  variant.assign(ComponentRef());
  EXPECT_FALSE(variant.hasDestination(nullptr));
  // The walk's quick look agrees with what assigning finds, whatever the
  // evaluator holds: only a known destination after a non-empty base counts.
  EXPECT_TRUE(variant.anyDestination(sheet.component(1)));
  EXPECT_TRUE(variant.anyDestination(sheet.component(3)));
  variant.assign(sheet.component(1));
  EXPECT_FALSE(variant.anyDestination(sheet.component(2)));
  EXPECT_FALSE(variant.anyDestination(ComponentRef()));
}

TEST_F(VariantTest, ToBoardValueAndItsDefault) {
  VariantComponent variant(*sysSpec, *dataSpec);
  variant.assign(sheet.component(3));
  EXPECT_EQ(variant.toBoard().value(), "NO");  // the destination's YES is not the board's
  const auto other = VariantSysSpec::open(
      files.write("other.rsc", "separator = \"#\"\ntoBoardProperty = \"mount\"\ntoBoardDefault = \"MAYBE\"\n"), 2);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->separator(), '#');
  VariantComponent mounted(*other, *dataSpec);
  mounted.assign(sheet.component(3));
  EXPECT_EQ(mounted.toBoard().value(), "MAYBE");
}

}  // namespace
}  // namespace comptab
