// The open sheet seen through its handles: lookups, iteration in stored
// order, components by number, the zone offset commands, properties set in
// memory, and closing.
#include "platform/design_db.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/comp_type.h"
#include "platform/test_files.h"

namespace comptab {
namespace {

// Components stored out of number order, with properties and pins.
const char* const kSheet = R"({
  "formatVersion": 1,
  "sheet": {"region": [0, 0, 1000, 800]},
  "zone": {"offset": [10, 20], "pitch": [300, 300], "autoset": 2, "origin": 3, "firstColumn": "AA", "firstRow": "7"},
  "components": [
    {"number": 30, "type": "parts", "position": [1, 1],
     "properties": [["reference", "R1"], ["value", "1k"]],
     "pins": [{"properties": [["pinNumber", "1"], ["io", "IN"]]}, {"properties": [["pinNumber", "2"]]}]},
    {"number": 10, "type": "gate", "position": [2, 2], "properties": [["reference", "U1A"]]},
    {"number": 20, "type": "block", "position": [3, 3]}
  ]
})";

std::vector<std::string> namesAndValues(const RefSequence& properties) {
  std::vector<std::string> out;
  for (PropertyRef p : properties) out.push_back(std::string(p.name()) + "=" + std::string(p.value()));
  return out;
}

class DesignDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(files.dir().empty());
    db = DesignDb::open(nullptr, files.write("s.sht", kSheet), 2);
    ASSERT_TRUE(db.isValid()) << db.reason();
    sheet = db.lookup(DesignDb::kSheetType, "Sheet");
    zone = db.lookup(DesignDb::kZoneType, "Zone");
    ASSERT_TRUE(sheet.isValid());
    ASSERT_TRUE(zone.isValid());
  }
  TestFiles files;
  DesignDb db;
  SheetRef sheet;
  ZoneRef zone;
};

TEST_F(DesignDbTest, LookupsAndHandlesOfTheWrongKind) {
  EXPECT_FALSE(db.lookup(DesignDb::kSheetType, "Zone").isValid());
  EXPECT_FALSE(db.lookup(DesignDb::kZoneType, "Sheet").isValid());
  EXPECT_FALSE(db.lookup(DesignDb::kSheetType, "sheet").isValid());
  EXPECT_FALSE(db.lookup(6, "Sheet").isValid());
  const DesignRef sheetRef = db.lookup(DesignDb::kSheetType, "Sheet");
  EXPECT_EQ(sheetRef.kind(), RefKind::Sheet);
  EXPECT_FALSE(ZoneRef(sheetRef).isValid());
  EXPECT_FALSE(ComponentRef(sheetRef).isValid());
  const DesignRef first = sheet.components().at(0);
  EXPECT_EQ(first.kind(), RefKind::Component);
  EXPECT_FALSE(SheetRef(first).isValid());
  EXPECT_FALSE(PinRef(first).isValid());
  EXPECT_FALSE(PropertyRef(first).isValid());
  EXPECT_FALSE(ComponentRef(ComponentRef(first).pins().at(0)).isValid());
  EXPECT_FALSE(PinRef(DesignRef()).isValid());
}

TEST_F(DesignDbTest, ComponentsInStoredOrderAndByNumber) {
  std::vector<int32_t> numbers;
  for (RefIterator it(sheet.components()); it.notEnd(); it.advance())
    numbers.push_back(ComponentRef(it.current()).number());
  EXPECT_EQ(numbers, (std::vector<int32_t>{30, 10, 20}));
  numbers.clear();
  for (ComponentRef c : sheet.components()) numbers.push_back(c.number());
  EXPECT_EQ(numbers, (std::vector<int32_t>{30, 10, 20}));

  for (const int32_t number : {10, 20, 30}) EXPECT_EQ(sheet.component(number).number(), number);
  EXPECT_EQ(sheet.component(10).typeCode(), 3);
  for (const int32_t missing : {0, 15, 31, -10}) EXPECT_FALSE(sheet.component(missing).isValid()) << missing;
}

TEST_F(DesignDbTest, AnIteratorCanBeAimedAtAnotherSequence) {
  const ComponentRef r1 = sheet.component(30);
  RefIterator it(r1.pins());
  ASSERT_TRUE(it.notEnd());
  const PinRef pin = it.current();
  it.aim(pin.properties());
  std::vector<std::string> seen;
  for (; it.notEnd(); it.advance()) seen.push_back(std::string(PropertyRef(it.current()).name()));
  EXPECT_EQ(seen, (std::vector<std::string>{"pinNumber", "io"}));
  EXPECT_FALSE(it.current().isValid());
  it.advance();  // past the end stays at the end
  EXPECT_FALSE(it.notEnd());
  it.aim(r1.properties());
  ASSERT_TRUE(it.notEnd());
  EXPECT_EQ(PropertyRef(it.current()).value(), "R1");
  it.aim(sheet.component(20).pins());
  EXPECT_FALSE(it.notEnd());
}

TEST_F(DesignDbTest, PinPropertiesByName) {
  const ComponentRef r1 = sheet.component(30);
  const PinRef second = r1.pins().at(1);
  EXPECT_EQ(second.property("pinNumber").value(), "2");
  EXPECT_FALSE(second.property("io").isValid());
  EXPECT_EQ(PinRef(r1.pins().at(0)).property("io").value(), "IN");
  EXPECT_FALSE(r1.pins().at(2).isValid());
}

TEST_F(DesignDbTest, ZoneGridAndOffsetCommands) {
  EXPECT_EQ(zone.offset(), (Point{10, 20}));
  EXPECT_EQ(zone.pitch(), (Point{300, 300}));
  EXPECT_EQ(zone.autoset(), 2);
  EXPECT_EQ(zone.origin(), 3);
  EXPECT_EQ(zone.charX(), "AA");
  EXPECT_EQ(zone.charY(), "7");

  ZoneOffsetXCommand moveX(zone, 50);
  ASSERT_TRUE(moveX.isValid());
  EXPECT_TRUE(moveX.execute());
  EXPECT_EQ(zone.offset(), (Point{50, 20}));
  ZoneOffsetYCommand moveY(zone, -250);
  ASSERT_TRUE(moveY.isValid());
  EXPECT_TRUE(moveY.execute());
  // Another handle on the same grid sees the change.
  EXPECT_EQ(ZoneRef(db.lookup(DesignDb::kZoneType, "Zone")).offset(), (Point{50, -250}));
  EXPECT_EQ(zone.pitch(), (Point{300, 300}));

  ZoneOffsetXCommand nowhere(ZoneRef(), 5);
  EXPECT_FALSE(nowhere.isValid());
  EXPECT_FALSE(nowhere.execute());
}

TEST_F(DesignDbTest, SetPropertyReplacesInPlaceOrAppends) {
  const ComponentRef r1 = sheet.component(30);
  const ComponentRef u1a = sheet.component(10);
  const RefSequence before = r1.properties();

  EXPECT_TRUE(r1.setProperty("value", "2k2"));
  EXPECT_EQ(namesAndValues(r1.properties()), (std::vector<std::string>{"reference=R1", "value=2k2"}));
  // R1's properties are not the last ones stored, so a new one moves them.
  EXPECT_TRUE(r1.setProperty("fitted", "NO"));
  EXPECT_TRUE(r1.setProperty("tolerance", "1%"));
  EXPECT_EQ(namesAndValues(r1.properties()),
            (std::vector<std::string>{"reference=R1", "value=2k2", "fitted=NO", "tolerance=1%"}));
  EXPECT_TRUE(u1a.setProperty("partName", "QNAND"));
  EXPECT_EQ(namesAndValues(u1a.properties()), (std::vector<std::string>{"reference=U1A", "partName=QNAND"}));
  EXPECT_EQ(namesAndValues(r1.properties()),
            (std::vector<std::string>{"reference=R1", "value=2k2", "fitted=NO", "tolerance=1%"}));
  EXPECT_TRUE(sheet.component(20).setProperty("reference", "B1"));
  EXPECT_EQ(namesAndValues(sheet.component(20).properties()), (std::vector<std::string>{"reference=B1"}));
  // Pins keep theirs.
  EXPECT_EQ(namesAndValues(PinRef(r1.pins().at(0)).properties()), (std::vector<std::string>{"pinNumber=1", "io=IN"}));
  // A sequence taken before is a snapshot.
  EXPECT_EQ(before.size(), 2u);
  EXPECT_FALSE(r1.setProperty("", "x"));
  EXPECT_FALSE(ComponentRef().setProperty("reference", "x"));
}

TEST_F(DesignDbTest, ClosingLetsGo) {
  db.close();
  EXPECT_FALSE(db.isValid());
  EXPECT_FALSE(db.lookup(DesignDb::kSheetType, "Sheet").isValid());
  db.close();  // a second close does nothing
  EXPECT_FALSE(db.isValid());
  EXPECT_EQ(db.reason(), "");
}

TEST_F(DesignDbTest, MovingKeepsHandlesGood) {
  DesignDb other = std::move(db);
  EXPECT_TRUE(other.isValid());
  EXPECT_EQ(sheet.component(30).property("reference").value(), "R1");
}

TEST(DesignDbHandles, InvalidHandlesAnswerWithNothing) {
  const ComponentRef c;
  EXPECT_EQ(c.number(), 0);
  EXPECT_EQ(c.typeWord(), 0u);
  EXPECT_EQ(c.symbolName(), "");
  EXPECT_TRUE(c.properties().empty());
  EXPECT_TRUE(c.pins().empty());
  EXPECT_FALSE(c.property("reference").isValid());
  EXPECT_EQ(PropertyRef().value(), "");
  EXPECT_TRUE(PinRef().properties().empty());
  EXPECT_EQ(SheetRef().region(), Box());
  EXPECT_TRUE(SheetRef().components().empty());
  EXPECT_FALSE(SheetRef().component(1).isValid());
  EXPECT_EQ(ZoneRef().charX(), "");
  RefIterator it;
  EXPECT_FALSE(it.notEnd());
  EXPECT_FALSE(DesignDb().isValid());
  EXPECT_TRUE(DesignDb::initialize());
}

TEST(DesignDbExample, TheShippedBoardOpens) {
  const DesignDb db = DesignDb::open(nullptr, std::string(COMPTAB_SOURCE_ROOT) + "/examples/board.sht", 2);
  ASSERT_TRUE(db.isValid()) << db.reason();
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  EXPECT_EQ(sheet.components().size(), 13u);
  EXPECT_TRUE(ZoneRef(db.lookup(DesignDb::kZoneType, "Zone")).isValid());
}

TEST(DesignDbExample, TheDocumentedExampleOpens) {
  std::ifstream doc(std::string(COMPTAB_SOURCE_ROOT) + "/docs/sheet-file.md");
  const std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
  const size_t begin = text.find("```json\n");
  ASSERT_NE(begin, std::string::npos);
  const size_t end = text.find("```", begin + 8);
  ASSERT_NE(end, std::string::npos);
  const TestFiles files;
  const DesignDb db = DesignDb::open(nullptr, files.write("doc.sht", text.substr(begin + 8, end - begin - 8)), 2);
  ASSERT_TRUE(db.isValid()) << db.reason();
  const SheetRef sheet = db.lookup(DesignDb::kSheetType, "Sheet");
  ASSERT_EQ(sheet.components().size(), 3u);
  EXPECT_EQ(CompType::name(sheet.component(3).typeCode()), "type201");
  EXPECT_EQ(PinRef(sheet.component(1).pins().at(0)).property("isCommonTerminal").value(), "YES");
}

}  // namespace
}  // namespace comptab
