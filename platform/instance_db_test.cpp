// The instance database: built from a net list, saved atomically, opened
// again; files that are refused and why; the lock that keeps two runs from
// building it at once.
#include "platform/instance_db.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/design_db.h"
#include "platform/instance_schema.h"
#include "platform/net_list.h"
#include "platform/scratch_dir.h"
#include "platform/test_circuit.h"

namespace comptab {
namespace {

// top.sht (number 3) holds block 2, which instantiates leaf.sht twice: as
// sheet 7 and as sheet 5, each with its own references; sheet 5 also
// names component 99, which leaf.sht lacks. other.sht (number 1) has no
// blocks.
const char* const kNetList = R"({"formatVersion": 1, "sheets": [
  {"file": "top.sht", "id": 30, "number": 3, "blocks": [{"component": 2, "sheets": [
    {"file": "leaf.sht", "id": 70, "number": 7,
     "components": [{"number": 2, "properties": [["reference", "C701"]]},
                    {"number": 1, "properties": [["reference", "R701"], ["tolerance", "1%"]]}]},
    {"file": "leaf.sht", "id": -5, "number": 5,
     "components": [{"number": 99, "properties": [["reference", "GHOST"]]},
                    {"number": 1, "properties": [["reference", "R501"]]}]}
  ]}]},
  {"file": "other.sht", "id": 10, "number": 1}
]})";

std::vector<int> numbersOf(const InstanceSheet& sheet) {
  std::vector<int> numbers;
  for (const InstanceComponent* component : sheet.components()) numbers.push_back(component->number());
  return numbers;
}

// The properties of a sheet component after an instance's values are put
// into it.
std::string overwritten(const InstanceComponent& instance, const std::string& sheetFile) {
  DesignDb db = DesignDb::open(nullptr, sheetFile, 2);
  const ComponentRef component = SheetRef(db.lookup(DesignDb::kSheetType, "Sheet")).component(instance.number());
  if (!component.isValid()) return "(none)";
  instance.overwrite(component);
  std::string text;
  for (const PropertyRef property : component.properties())
    text += std::string(property.name()) + "=" + std::string(property.value()) + " ";
  return text;
}

class InstanceDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    dir.file("c.cir/top.sht", testSheet({{1, "parts", "R1"}, {2, "block", "X1"}}));
    dir.file("c.cir/leaf.sht", testSheet({{1, "parts", "R?"}, {2, "parts", "C?"}}));
    dir.file("c.cir/other.sht", "not even JSON: top-level sheets are not read to build the database");
    dir.file("c.cir/netlist.json", kNetList);
  }
  std::string circuit() const { return dir.file("c.cir"); }
  std::string instanceFile() const { return dir.file("c.cir/instance.db"); }
  std::unique_ptr<InstanceDb> create() {
    std::string reason;
    const auto netList = NetList::open(circuit(), &reason);
    EXPECT_NE(netList, nullptr) << reason;
    if (!netList) return nullptr;
    auto db = InstanceDb::create(dir.path(), "c.cir", instanceFile(), *netList, &reason);
    EXPECT_NE(db, nullptr) << reason;
    return db;
  }
  std::unique_ptr<InstanceDb> open(std::string& reason) {
    return InstanceDb::open(dir.path(), "c.cir", instanceFile(), 1, &reason);
  }
  // What the database holds, in one text: each sheet with its number, id,
  // file and depth, and its blocks; each loaded sheet's components.
  std::string describe(InstanceDb& db) {
    std::string text;
    for (SheetInfo* top : db.topSheets()) describe(*top, text);
    return text;
  }
  void describe(SheetInfo& info, std::string& text) {
    text += std::to_string(info.sheetNumber()) + " id " + std::to_string(info.sheetId()) + " " +
            info.fileName().substr(circuit().size() + 1);
    if (info.parentBlock() != nullptr)
      text += " in block " + std::to_string(info.parentBlock()->componentNumber()) + " of " +
              std::to_string(info.parentBlock()->holdingSheet().sheetNumber());
    if (info.parentBlock() != nullptr) {
      const InstanceSheet* sheet = info.load();
      EXPECT_NE(sheet, nullptr);
      if (sheet == nullptr) return;
      EXPECT_EQ(&sheet->sheetInfo(), &info);
      EXPECT_EQ(info.loadedSheet(), sheet);
      text += " [";
      for (const InstanceComponent* component : sheet->components()) {
        EXPECT_EQ(&component->instanceSheet(), sheet);
        text += " " + std::to_string(component->number()) + ": " + overwritten(*component, info.fileName());
      }
      text += "]";
      info.abort();
      EXPECT_EQ(info.loadedSheet(), nullptr);
    }
    text += "\n";
    for (const BlockInstance* block : info.blocks()) {
      EXPECT_EQ(&block->holdingSheet(), &info);
      for (SheetInfo* child : block->childSheets()) describe(*child, text);
    }
  }
  ScratchDir dir;
};

const char* const kExpected =
    "3 id 30 top.sht\n"
    "7 id 70 leaf.sht in block 2 of 3 [ 1: reference=R701 value=v1 tolerance=1%  2: reference=C701 value=v2 ]\n"
    "5 id -5 leaf.sht in block 2 of 3 [ 1: reference=R501 value=v1  2: reference=C? value=v2  99: (none)]\n"
    "1 id 10 other.sht\n";

TEST_F(InstanceDbTest, CreateHoldsTheHierarchyAndEachInstancesValues) {
  const auto db = create();
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(describe(*db), kExpected);
  // Nothing is written before save().
  EXPECT_FALSE(std::filesystem::exists(instanceFile()));
}

TEST_F(InstanceDbTest, TheSequencesIterate) {
  const auto db = create();
  ASSERT_NE(db, nullptr);
  InstanceIterator<SheetInfo> tops(db->topSheets());
  std::vector<int> numbers;
  for (; tops.current() != nullptr; tops.advance()) numbers.push_back(tops.current()->sheetNumber());
  tops.advance();
  EXPECT_EQ(tops.current(), nullptr);
  EXPECT_EQ(numbers, (std::vector<int>{3, 1}));
  SheetInfo* leaf = db->topSheets().at(0)->blocks().at(0)->childSheets().at(1);
  ASSERT_NE(leaf, nullptr);
  const InstanceSheet* sheet = leaf->load();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(leaf->load(), sheet);  // loading again gives the loaded sheet
  EXPECT_EQ(numbersOf(*sheet), (std::vector<int>{1, 2, 99}));
  EXPECT_EQ(sheet->components().at(3), nullptr);
  EXPECT_EQ(db->topSheets().at(2), nullptr);
}

TEST_F(InstanceDbTest, SaveWritesTheWholeFileAtOnceAndItOpensAgain) {
  // A temporary file a killed run left behind is cleared away.
  const std::string stale = "instance.db.tmp." + std::to_string(::getpid()) + ".0";
  dir.file("c.cir/" + stale, "half a database");
  dir.file("c.cir/instance.db.tmp.notes", "not a temporary file of ours");
  {
    const auto db = create();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->save()) << db->error();
    // The database goes on working after it is saved.
    EXPECT_EQ(describe(*db), kExpected);
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(circuit())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"instance.db", "instance.db.tmp.notes", "leaf.sht", "netlist.json", "other.sht",
                                      "top.sht"}));

  // Without the net list: the database alone.
  std::filesystem::remove(circuit() + "/netlist.json");
  std::string reason;
  const auto reopened = open(reason);
  ASSERT_NE(reopened, nullptr) << reason;
  EXPECT_EQ(describe(*reopened), kExpected);
  EXPECT_EQ(reopened->instanceFile(), instanceFile());

  // Saving again replaces the file; a reader that has it open goes on
  // reading the old one, and the next one opens the new one.
  std::string renumbered = kNetList;
  renumbered.replace(renumbered.find("\"number\": 1}"), 12, "\"number\": 9}");
  dir.file("c.cir/netlist.json", renumbered);
  const auto rebuilt = create();
  ASSERT_NE(rebuilt, nullptr);
  ASSERT_TRUE(rebuilt->save()) << rebuilt->error();
  EXPECT_EQ(describe(*reopened), kExpected);
  const auto fresh = open(reason);
  ASSERT_NE(fresh, nullptr) << reason;
  EXPECT_EQ(fresh->topSheets().at(1)->sheetNumber(), 9);
}

TEST_F(InstanceDbTest, SavingWhereNoFileCanBeMadeFails) {
  std::string reason;
  const auto netList = NetList::open(circuit(), &reason);
  ASSERT_NE(netList, nullptr) << reason;
  const std::string nowhere = dir.file("missing/instance.db");
  const auto db = InstanceDb::create(dir.path(), "c.cir", nowhere, *netList, &reason);
  ASSERT_NE(db, nullptr) << reason;
  EXPECT_FALSE(db->save());
  EXPECT_EQ(db->error().rfind(nowhere + ".tmp.", 0), 0u) << db->error();
  EXPECT_NE(db->error().find(": cannot create: No such file or directory"), std::string::npos) << db->error();
}

// Databases that open() refuses, built at test time: the SQL is run on a
// fresh file, or `bytes` written as the file when there is no SQL.
TEST_F(InstanceDbTest, FilesThatAreNotAUsableInstanceDatabaseAreRefused) {
  struct Case {
    const char* what;
    std::string sql;
    std::string bytes;
    std::string reason;  // after "<file>: "
  };
  // Text and another schema version are run end to end.
  const std::string schema = kInstanceSchemaSql;
  const std::string top = "INSERT INTO sheets VALUES (1, NULL, 'top.sht', 1, 1);";
  const Case cases[] = {
      {"empty file", "", "", "not an instance database (application id 0)"},
      {"another application's database", "PRAGMA user_version = 1; CREATE TABLE libraries (id INTEGER);", "",
       "not an instance database (application id 0)"},
      {"tables missing", "PRAGMA application_id = 1264077134; PRAGMA user_version = 1;", "",
       "no such table: sheets (1)"},
      {"a sheet in a block of no sheet", schema + top + "INSERT INTO sheets VALUES (2, 5, 'leaf.sht', 2, 2);", "",
       "sheet entry 2 lies in a block of no sheet before it"},
      {"a cycle",
       schema + "INSERT INTO sheets VALUES (1, 1, 'a.sht', 1, 1), (2, 2, 'b.sht', 2, 2);"
                "INSERT INTO blocks VALUES (1, 2, 1), (2, 1, 1);",
       "", "sheet entry 1 lies in a block of no sheet before it"},
      {"a block on no sheet", schema + top + "INSERT INTO blocks VALUES (1, 9, 4);", "",
       "a block entry lies on no sheet"},
      {"a sheet number beyond 32 bits", schema + "INSERT INTO sheets VALUES (1, NULL, 'top.sht', 1, 4294967296);", "",
       "sheet entry 1 is damaged"},
      {"blocks too deep",
       schema + top +
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 33) "
           "INSERT INTO blocks SELECT i, i, 1 FROM n;"
           "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 34) "
           "INSERT INTO sheets SELECT i, i - 1, 'leaf.sht', i, i FROM n;",
       "", "sheet entry 34 nests deeper than 32 levels"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(instanceFile());
    if (c.sql.empty())
      dir.file("c.cir/instance.db", c.bytes);
    else
      ASSERT_FALSE(dir.database("c.cir/instance.db", c.sql).empty()) << c.what;
    std::string reason;
    EXPECT_EQ(open(reason), nullptr) << c.what;
    EXPECT_EQ(reason, instanceFile() + ": " + c.reason) << c.what;
  }
}

// What a save that wrote in place and was killed half way would leave.
TEST_F(InstanceDbTest, ADatabaseCutShortIsRefused) {
  {
    const auto db = create();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->save()) << db->error();
  }
  std::filesystem::resize_file(instanceFile(), 5000);
  std::string reason;
  EXPECT_EQ(open(reason), nullptr);
  EXPECT_EQ(reason, instanceFile() + ": database disk image is malformed (11)");
}

TEST_F(InstanceDbTest, ADamagedSheetFailsWhenItIsLoaded) {
  const std::string sql = std::string(kInstanceSchemaSql) +
                          "INSERT INTO sheets VALUES (1, NULL, 'top.sht', 1, 1), (2, 1, 'leaf.sht', 2, 2);"
                          "INSERT INTO blocks VALUES (1, 1, 2);"
                          "INSERT INTO instance_components VALUES (2, 0, 1), (2, 1, 8589934592);";
  ASSERT_FALSE(dir.database("c.cir/instance.db", sql).empty());
  std::string reason;
  const auto db = open(reason);
  ASSERT_NE(db, nullptr) << reason;
  SheetInfo* leaf = db->topSheets().at(0)->blocks().at(0)->childSheets().at(0);
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->load(&reason), nullptr);
  EXPECT_EQ(reason, instanceFile() + ": an instance component of sheet entry 2 is damaged");
  EXPECT_EQ(leaf->loadedSheet(), nullptr);
}

TEST(InstanceLockTest, OneHolderAtATime) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  InstanceLock first = InstanceLock::acquire(dir.path(), std::chrono::milliseconds(0));
  ASSERT_TRUE(first.isHeld()) << first.reason();
  EXPECT_EQ(first.reason(), "");

  const InstanceLock second = InstanceLock::acquire(dir.path(), std::chrono::milliseconds(60));
  EXPECT_FALSE(second.isHeld());
  EXPECT_EQ(second.reason(), dir.path() + ": another run held the lock for longer than 60 ms");

  ASSERT_EQ(::setenv("COMPTAB_LOCK_WAIT", "0", 1), 0);
  EXPECT_FALSE(InstanceDb::checkLock(dir.path()).isHeld());
  ASSERT_EQ(::unsetenv("COMPTAB_LOCK_WAIT"), 0);

  InstanceLock moved = std::move(first);
  EXPECT_FALSE(first.isHeld());  // NOLINT(bugprone-use-after-move): a moved-from lock holds nothing
  EXPECT_TRUE(moved.isHeld());
  moved.release();
  EXPECT_TRUE(InstanceDb::checkLock(dir.path()).isHeld());
  EXPECT_TRUE(InstanceLock::acquire(dir.path(), std::chrono::milliseconds(0)).isHeld());
}

TEST(InstanceLockTest, ADirectoryThatCannotBeOpenedIsNotLocked) {
  ScratchDir dir;
  const InstanceLock lock = InstanceLock::acquire(dir.file("missing"), std::chrono::milliseconds(0));
  EXPECT_FALSE(lock.isHeld());
  EXPECT_EQ(lock.reason(), dir.file("missing") + ": cannot open the directory to lock it: No such file or directory");
}

}  // namespace
}  // namespace comptab
