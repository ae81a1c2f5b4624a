// The open sheet seen through its handles: lookups, components in stored
// order and by number, the zone offset commands, properties set in memory,
// and closing.
#include "platform/sheet/design_db.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sheet/sheet_cache.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

// Components stored out of number order, with properties and pins.
const char* const kSheet = R"({"formatVersion": 1, "sheet": {"region": [0, 0, 1000, 800]},
  "zone": {"offset": [10, 20], "pitch": [300, 300], "autoset": 2, "origin": 3, "firstColumn": "AA", "firstRow": "7"},
  "components": [
    {"number": 30, "type": "parts", "position": [1, 1], "properties": [["reference", "R1"], ["value", "1k"]],
     "pins": [{"properties": [["pinNumber", "1"], ["io", "IN"]]}, {"properties": [["pinNumber", "2"]]}]},
    {"number": 10, "type": "gate", "position": [2, 2], "properties": [["reference", "U1A"]]},
    {"number": 20, "type": "block", "position": [3, 3]}]})";

std::string namesAndValues(const RefSequence& properties) {
  std::string out;
  for (PropertyRef p : properties) out += std::string(p.name()) + "=" + std::string(p.value()) + " ";
  return out;
}

class DesignDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(files.path().empty());
    std::string reason;
    db = DesignDb::open(nullptr, files.write("s.sht", kSheet), 2, &reason);
    ASSERT_TRUE(db.isValid()) << reason;
    sheet = db.lookup(DesignDb::kSheetType, "Sheet");
    zone = db.lookup(DesignDb::kZoneType, "Zone");
    ASSERT_TRUE(sheet.isValid() && zone.isValid());
  }
  ScratchDir files;
  DesignDb db;
  SheetRef sheet;
  ZoneRef zone;
};

// Lookups of another name or kind, and handles of the wrong kind or of
// nothing, give nothing.
TEST_F(DesignDbTest, LookupsAndHandlesOfTheWrongKindOrOfNothing) {
  EXPECT_FALSE(db.lookup(DesignDb::kSheetType, "Zone").isValid());
  EXPECT_FALSE(db.lookup(DesignDb::kSheetType, "sheet").isValid());
  EXPECT_FALSE(db.lookup(6, "Sheet").isValid());
  EXPECT_FALSE(ZoneRef(db.lookup(DesignDb::kSheetType, "Sheet")).isValid());
  const DesignRef first = sheet.components().at(0);
  EXPECT_FALSE(PinRef(first).isValid());
  EXPECT_FALSE(ComponentRef(ComponentRef(first).pins().at(0)).isValid());
  EXPECT_FALSE(ComponentRef().property("reference").isValid());
  EXPECT_FALSE(SheetRef().component(1).isValid());
}

TEST_F(DesignDbTest, ComponentsInStoredOrderAndByNumber) {
  std::vector<int32_t> numbers;
  for (ComponentRef c : sheet.components()) numbers.push_back(c.number());
  EXPECT_EQ(numbers, (std::vector<int32_t>{30, 10, 20}));
  for (const int32_t number : {10, 20, 30}) EXPECT_EQ(sheet.component(number).number(), number);
  for (const int32_t missing : {0, 15, 31}) EXPECT_FALSE(sheet.component(missing).isValid()) << missing;
}

TEST_F(DesignDbTest, ZoneGridAndOffsetCommands) {
  EXPECT_EQ(zone.pitch(), (Point{300, 300}));
  EXPECT_EQ(std::to_string(zone.autoset()) + std::to_string(zone.origin()) + std::string(zone.charX()) +
                std::string(zone.charY()),
            "23AA7");
  EXPECT_TRUE(ZoneOffsetXCommand(zone, 50).execute());
  EXPECT_EQ(zone.offset(), (Point{50, 20}));
  EXPECT_TRUE(ZoneOffsetYCommand(zone, -250).execute());
  // Another handle on the same grid sees the change.
  EXPECT_EQ(ZoneRef(db.lookup(DesignDb::kZoneType, "Zone")).offset(), (Point{50, -250}));
  EXPECT_FALSE(ZoneOffsetXCommand(ZoneRef(), 5).execute());
}

TEST_F(DesignDbTest, SetPropertyReplacesInPlaceOrAppends) {
  const ComponentRef r1 = sheet.component(30);
  const RefSequence before = r1.properties();
  EXPECT_TRUE(r1.setProperty("value", "2k2"));
  EXPECT_EQ(namesAndValues(r1.properties()), "reference=R1 value=2k2 ");
  // R1's properties are not the last ones stored, so a new one moves them.
  EXPECT_TRUE(r1.setProperty("fitted", "NO"));
  EXPECT_TRUE(sheet.component(10).setProperty("partName", "QNAND"));
  EXPECT_EQ(namesAndValues(r1.properties()), "reference=R1 value=2k2 fitted=NO ");
  EXPECT_EQ(namesAndValues(sheet.component(10).properties()), "reference=U1A partName=QNAND ");
  EXPECT_TRUE(sheet.component(20).setProperty("reference", "B1"));  // it had none
  EXPECT_EQ(namesAndValues(sheet.component(20).properties()), "reference=B1 ");
  EXPECT_EQ(namesAndValues(PinRef(r1.pins().at(0)).properties()), "pinNumber=1 io=IN ");  // pins keep theirs
  EXPECT_EQ(before.size(), 2u);  // a sequence taken before is a snapshot
  EXPECT_FALSE(r1.setProperty("", "x"));
  EXPECT_FALSE(ComponentRef().setProperty("reference", "x"));
}

// Every opening through the cache starts from the file as read: what one
// changes in memory, a later one does not see, even once the first is gone.
TEST_F(DesignDbTest, CachedOpeningsAreWorkingCopies) {
  SheetCache cache(1);  // over budget at once: the last one used is kept
  const std::string path = files.path() + "/s.sht";
  {
    DesignDb first = DesignDb::open(nullptr, path, 2, nullptr, &cache);
    const SheetRef s = first.lookup(DesignDb::kSheetType, "Sheet");
    EXPECT_TRUE(s.component(30).setProperty("value", "2k2"));
    EXPECT_TRUE(s.component(30).setProperty("fitted", "NO"));
    EXPECT_TRUE(ZoneOffsetXCommand(first.lookup(DesignDb::kZoneType, "Zone"), 99).execute());
  }
  files.write("s.sht", "changed, and not read again");
  std::string reason;
  DesignDb second = DesignDb::open(nullptr, path, 2, &reason, &cache);
  ASSERT_TRUE(second.isValid()) << reason;
  EXPECT_EQ(namesAndValues(SheetRef(second.lookup(DesignDb::kSheetType, "Sheet")).component(30).properties()),
            "reference=R1 value=1k ");
  EXPECT_EQ(ZoneRef(second.lookup(DesignDb::kZoneType, "Zone")).offset(), (Point{10, 20}));

  // A second file pushes the first out; reading it again finds the change.
  files.write("t.sht", kSheet);
  EXPECT_TRUE(DesignDb::open(nullptr, files.path() + "/t.sht", 2, nullptr, &cache).isValid());
  const DesignDb again = DesignDb::open(nullptr, path, 2, &reason, &cache);
  EXPECT_FALSE(again.isValid());
  EXPECT_EQ(reason.rfind(path + ": ", 0), 0u) << reason;
}

// Sheets made from a design of another format are held under names that
// are no files, and stay however many others come and go.
TEST_F(DesignDbTest, HeldSheetsAreNeitherReadNorLetGo) {
  SheetCache cache(1);
  std::string why;
  const auto made = cache.get(files.path() + "/s.sht", &why);
  ASSERT_TRUE(made) << why;
  const std::string held = files.path() + "/board.kicad_sch/2";
  cache.hold(held, made);
  files.write("t.sht", kSheet);
  EXPECT_TRUE(DesignDb::open(nullptr, files.path() + "/t.sht", 2, nullptr, &cache).isValid());
  const DesignDb again = DesignDb::open(nullptr, held, 2, &why, &cache);
  ASSERT_TRUE(again.isValid()) << why;
  EXPECT_EQ(SheetRef(again.lookup(DesignDb::kSheetType, "Sheet")).component(30).property("value").value(), "1k");
}

TEST_F(DesignDbTest, MovingKeepsHandlesGoodAndClosingLetsGo) {
  DesignDb other = std::move(db);
  EXPECT_EQ(sheet.component(30).property("reference").value(), "R1");
  other.close();
  other.close();  // a second close does nothing
  EXPECT_FALSE(other.isValid());
  EXPECT_FALSE(other.lookup(DesignDb::kSheetType, "Sheet").isValid());
}

}  // namespace
}  // namespace comptab
