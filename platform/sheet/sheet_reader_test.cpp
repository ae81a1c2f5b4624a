// Reading sheet files: what a good file gives, the defaults, and a table of
// broken files with the reason each one is refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/sheet/design_db.h"
#include "platform/support/scratch_dir.h"
#include "platform/support/text.h"

namespace comptab {
namespace {

// A sheet file around the given components, with `extra` top-level fields.
std::string sheetText(const std::string& components, const std::string& extra = "") {
  return R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1000, 800]}, )" + extra + R"("components": )" + components +
         "}";
}

// One component with the required fields and `fields` added.
std::string oneComponent(const std::string& fields) {
  return sheetText(R"([{"number": 1, "type": "parts", "position": [0, 0])" + (fields.empty() ? "" : ", " + fields) +
                   "}]");
}

std::string manyProperties(size_t count, size_t repeatAt) {
  std::string list;
  for (size_t i = 0; i < count; ++i) {
    if (i) list += ", ";
    list += "[\"p" + std::to_string(i == repeatAt ? 3 : i) + "\", \"v\"]";
  }
  return "\"properties\": [" + list + "]";
}

class SheetReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(files.path().empty()); }
  DesignDb openText(const std::string& text) {
    reason.clear();
    return DesignDb::open(nullptr, files.write("s.sht", text), 2, &reason);
  }
  ScratchDir files;
  std::string reason;  // why the last opening failed
};

// The syntax reasons and the first few are shown whole; the rest by the
// place in the file they name and a fragment of what is wrong there.
TEST_F(SheetReaderTest, BrokenFilesAreRefusedWithTheirReason) {
  // The text, how the reason after "<path>: " starts.
  const std::pair<std::string, std::string> cases[] = {
      {"", "the file is empty"},
      {" \n\t\n", "the file holds no JSON value"},
      {R"({"formatVersion": 1, "she)", "not valid JSON: a string is not closed (is the file cut short?)"},
      {"{\"formatVersion\": 1,\n \"sheet\": {\"region\": [0, 0, 1, 1}}}",
       "not valid JSON: '}' at line 2, column 33 does not close the '[' at line 2, column 22"},
      {R"({"formatVersion": 1}})", "not valid JSON: '}' at line 1, column 21 closes nothing"},
      // Balanced brackets: the parser's own words.
      {R"({"formatVersion": 1 "sheet": {}})", "not valid JSON: "},
      {"formatVersion = 1\n", "not valid JSON: a word that is not true, false or null"},
      {R"({"formatVersion": "\q"})", "not valid JSON: a string with a malformed escape"},
      {R"({"formatVersion": 99999999999999999999})", "not valid JSON: a malformed number, or one too large"},
      {sheetText("[]", "\"#\": " + std::string(100, '[') + std::string(100, ']') + ", "),
       "nested deeper than the 64 levels a sheet file may have"},
      {"[1, 2]", "expected a JSON object at the top, found an array"},
      {R"({"sheet": {"region": [0, 0, 1, 1]}, "components": []})",
       "the required field \"formatVersion\" is missing: this is not a sheet file"},
      {R"({"formatVersion": 2})", "formatVersion: format version 2 is not supported; this library reads version 1"},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1, 1]}})", "the required field \"components\" is missing"},
      {sheetText("[]", R"("colour": 3, )"), "unknown field \"colour\""},
      {sheetText("[]", R"("sheet": {"region": [0, 0, 1, 1]}, )"), "the field \"sheet\" appears twice"},
      {R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1]}, "components": []})", "sheet.region: expected 4 in"},
      {sheetText("[{\"number\": 1, \"type\": 2, \"position\": [0, 0]}, 7]"), "components[1]: expected an object"},
      {sheetText(R"([{"type": "gate", "position": [0, 0]}])"), "components[0]: the required field \"number\""},
      {sheetText(R"([{"number": 2147483648, "type": 1, "position": [0, 0]}])"), "components[0].number: 2147483648 is"},
      {sheetText(R"([{"number": 18446744073709551615, "type": 1, "position": [0, 0]}])"), "components[0].number: 1844"},
      {sheetText(R"([{"number": 1.5, "type": 1, "position": [0, 0]}])"), "components[0].number: expected an integer"},
      {oneComponent(R"("bitCount": -1)"), "components[0].bitCount: -1 is out of range (0 to 65535)"},
      {sheetText(R"([{"number": 1, "type": "Gate", "position": [0, 0]}])"), "components[0].type: unknown component"},
      {sheetText(R"([{"number": 1, "type": true, "position": [0, 0]}])"), "components[0].type: expected a type"},
      {oneComponent(R"("mirror": "yes")"), "components[0].mirror: expected true or false"},
      {oneComponent(R"("symbolName": 4)"), "components[0].symbolName: expected a string"},
      {oneComponent(R"("properties": {"reference": "R1"})"), "components[0].properties: expected an array of"},
      {oneComponent(R"("properties": [["reference", "R1"], ["value", 5]])"), "components[0].properties[1][1]: exp"},
      {oneComponent(R"("properties": [["a", "b", "c"]])"), "components[0].properties[0]: expected a [name, value]"},
      {oneComponent(R"("properties": [["", "b"]])"), "components[0].properties[0][0]: a property name may not be"},
      {oneComponent(R"("properties": [["reference", "R1"], ["value", "1k"], ["reference", "R2"]])"),
       "components[0].properties[2]: the property \"reference\" appears twice"},
      // Long lists are checked another way than short ones.
      {oneComponent(manyProperties(40, 35)), "components[0].properties[35]: the property \"p3\" appears twice"},
      {oneComponent(R"("pins": [{}, {"properties": [["pinNumber", null]]}])"),
       "components[0].pins[1].properties[0][1]: expected a string, found null"},
      {oneComponent(R"("properties": [["note", ")" + std::string(65536, 'x') + "\"]]"),
       "components[0].properties[0][1]: a text of 65536 bytes is longer than the 65535 bytes a text may have"},
      {sheetText(R"([{"number": 7, "type": 1, "position": [0, 0]}, {"number": 8, "type": 1, "position": [0, 0]},
                    {"number": 7, "type": 1, "position": [0, 0]}])"),
       "components[2].number: the component number 7 is already used by components[0]"},
      {sheetText("[]", R"("zone": {"offset": [0, 0]}, )"), "zone: the required field \"pitch\" is missing"},
      {sheetText("[]", R"("zone": {"pitch": [100, 0]}, )"), "zone.pitch: a pitch must be at least 1"},
      {sheetText("[]", R"("zone": {"pitch": [1, 1], "autoset": 3}, )"), "zone.autoset: 3 is out of range (0 to 2)"},
  };
  for (const auto& [text, expected] : cases) {
    const DesignDb db = openText(text);
    EXPECT_FALSE(db.isValid()) << text.substr(0, 200);
    EXPECT_EQ(reason.rfind(files.file("s.sht") + ": " + expected, 0), 0u) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    EXPECT_FALSE(db.lookup(DesignDb::kSheetType, "Sheet").isValid());
  }
}

TEST_F(SheetReaderTest, FilesThatCannotBeRead) {
  EXPECT_FALSE(DesignDb::open(nullptr, files.file("none.sht"), 2, &reason).isValid());
  EXPECT_EQ(reason, files.file("none.sht") + ": the file does not exist");
  ::mkdir(files.file("dir.sht").c_str(), 0755);
  EXPECT_FALSE(DesignDb::open(nullptr, files.file("dir.sht"), 2, &reason).isValid());
  EXPECT_EQ(reason, files.file("dir.sht") + ": this is a directory, not a file");
}

TEST_F(SheetReaderTest, EveryFieldOfAComponent) {
  const DesignDb db = openText(sheetText(R"([{"number": -5, "type": "gate", "kind": 65535,
      "position": [-2147483648, 2147483647], "angle": 1.5, "scale": 2.25, "mirror": true, "displayContents": true,
      "bitCount": 65535, "symbolName": "NAND2", "pathNumber": 12, "color": -1,
      "properties": [["note", "\u00b5F \"quoted\"\ttab"]], "pins": [{"properties": [["pinNumber", "1"]]}, {}]}])"));
  ASSERT_TRUE(db.isValid()) << reason;
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  EXPECT_EQ(sheet.region(), (Box{0, 0, 1000, 800}));
  const ComponentRef c = sheet.component(-5);
  // The kind and the bit count share words with the type and the flags.
  EXPECT_EQ(strprintf("%x %x %d", c.typeWord(), c.attributes(), c.bitCount()), "ffff0003 ffff000c 65535");
  EXPECT_TRUE(c.isMirrored() && c.displaysContents());
  EXPECT_EQ(c.position(), (Point{INT32_MIN, INT32_MAX}));
  EXPECT_EQ(strprintf("%g %g %d %d", c.angle(), c.scale(), c.pathNumber(), c.color()), "1.5 2.25 12 -1");
  EXPECT_EQ(c.symbolName(), "NAND2");
  EXPECT_EQ(c.property("note").value(),
            "\xC2\xB5"
            "F \"quoted\"\ttab");
  ASSERT_EQ(c.pins().size(), 2u);
  EXPECT_EQ(PinRef(c.pins().at(0)).property("pinNumber").value(), "1");
  EXPECT_TRUE(PinRef(c.pins().at(1)).properties().empty());
}

// With a byte-order mark and "#" comments anywhere, which are skipped.
TEST_F(SheetReaderTest, DefaultsOfOptionalFields) {
  const DesignDb db = openText("\xEF\xBB\xBF" + sheetText(R"([{"#": {"any": [1, "thing"]}, "number": 1, "type": 200,
      "position": [3, 4], "pins": [{"#pin": null}]}])",
                                                          R"("#": "a note", "zone": {"pitch": [10, 20]}, )"));
  ASSERT_TRUE(db.isValid()) << reason;
  const ComponentRef c = SheetRef(db.lookup(DesignDb::kSheetType, "Sheet")).component(1);
  ASSERT_TRUE(c.isValid());
  EXPECT_EQ(c.typeWord(), 200u);
  EXPECT_EQ(c.attributes(), 0u);
  EXPECT_EQ(c.scale(), 1.0);
  const ZoneRef zone = db.lookup(DesignDb::kZoneType, "Zone");
  ASSERT_TRUE(zone.isValid());
  EXPECT_EQ(zone.offset(), (Point{0, 0}));
  EXPECT_EQ(std::string(zone.charX()) + std::string(zone.charY()), "A1");
}

// A sheet without a zone has none; a long list of distinct names is fine.
TEST_F(SheetReaderTest, LongListsAndTextsAtTheLimitAreKept) {
  const std::string note(65535, 'y');
  std::string fields = manyProperties(40, 40);
  fields.insert(fields.find('[') + 1, R"(["note", ")" + note + "\"], ");
  const DesignDb db = openText(oneComponent(fields));
  ASSERT_TRUE(db.isValid()) << reason;
  const ComponentRef c = SheetRef(db.lookup(DesignDb::kSheetType, "Sheet")).component(1);
  EXPECT_EQ(c.properties().size(), 41u);
  EXPECT_EQ(c.property("note").value(), note);
  EXPECT_FALSE(ZoneRef(db.lookup(DesignDb::kZoneType, "Zone")).isValid());
}

}  // namespace
}  // namespace comptab
