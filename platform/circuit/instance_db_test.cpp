// The instance database: built from a net list, saved atomically, opened
// again; files that are refused and why; the lock that keeps two runs from
// building it at once.
#include "platform/circuit/instance_db.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/circuit/instance_schema.h"
#include "platform/circuit/net_list.h"
#include "platform/circuit/test_circuit.h"
#include "platform/support/path.h"
#include "platform/support/scratch_dir.h"

namespace comptab {
namespace {

// top.sht (number 3) holds block 2, which instantiates leaf.sht twice: as
// sheet 7 and as sheet 5, each with its own values; sheet 5 also names
// component 99, which leaf.sht lacks. other.sht (number 1) has no blocks.
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
  // file and the block that holds it; the sheets inside blocks, which load
  // from the file when asked, with their components' numbers.
  std::string describe(InstanceDb& db) {
    std::string text;
    for (SheetInfo* top : db.topSheets()) describe(*top, text);
    return text;
  }
  void describe(SheetInfo& info, std::string& text) {
    text += std::to_string(info.sheetNumber()) + " id " + std::to_string(info.sheetId()) + " " +
            baseName(info.fileName());
    if (const BlockInstance* block = info.parentBlock()) {
      text += " in block " + std::to_string(block->componentNumber()) + " of " +
              std::to_string(block->holdingSheet().sheetNumber()) + ":";
      const InstanceSheet* sheet = info.load();
      ASSERT_NE(sheet, nullptr);
      for (const InstanceComponent* component : sheet->components()) text += " " + std::to_string(component->number());
      info.abort();
    }
    text += "\n";
    for (const BlockInstance* block : info.blocks())
      for (SheetInfo* child : block->childSheets()) describe(*child, text);
  }
  ScratchDir dir;
};

const char* const kExpected =
    "3 id 30 top.sht\n"
    "7 id 70 leaf.sht in block 2 of 3: 1 2\n"
    "5 id -5 leaf.sht in block 2 of 3: 1 2 99\n"
    "1 id 10 other.sht\n";

// The end-to-end cases show what a built or reopened database lists; here
// the save itself: nothing is written before it, the temporary file of a
// killed run is cleared away (and only such a file: not one of a live
// process), and saving again replaces the file whole while a reader that has
// it open goes on reading the old one.
TEST_F(InstanceDbTest, SaveWritesTheWholeFileAtOnceAndItOpensAgain) {
  // No process has the largest pid: its run has ended.
  dir.file("c.cir/instance.db.tmp.2147483647.0", "half a database");
  const std::string live = "instance.db.tmp." + std::to_string(::getppid()) + ".0";
  dir.file("c.cir/" + live, "being written");
  dir.file("c.cir/instance.db.tmp.notes", "not a temporary file of ours");
  {
    const auto db = create();
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(describe(*db), kExpected);
    EXPECT_FALSE(std::filesystem::exists(instanceFile()));
    std::string reason;
    ASSERT_TRUE(db->save(&reason)) << reason;
    // The database goes on working after it is saved.
    EXPECT_EQ(describe(*db), kExpected);
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(circuit())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"instance.db", live, "instance.db.tmp.notes", "leaf.sht",
                                              "netlist.json", "other.sht", "top.sht"}));

  std::filesystem::remove(circuit() + "/netlist.json");
  std::string reason;
  const auto reopened = open(reason);
  ASSERT_NE(reopened, nullptr) << reason;
  std::string renumbered = kNetList;
  renumbered.replace(renumbered.find("99"), 2, "98");
  dir.file("c.cir/netlist.json", renumbered);
  const auto rebuilt = create();
  ASSERT_NE(rebuilt, nullptr);
  ASSERT_TRUE(rebuilt->save(&reason)) << reason;
  EXPECT_EQ(describe(*reopened), kExpected);
  const auto fresh = open(reason);
  ASSERT_NE(fresh, nullptr) << reason;
  std::string expected = kExpected;
  expected.replace(expected.find("99"), 2, "98");
  EXPECT_EQ(describe(*fresh), expected);
}

// A saved database is stale only once a file it was built from changes its
// size or its modification time: an unchanged circuit keeps its database.
TEST_F(InstanceDbTest, StaleOnlyWhenASourceChangesItsSizeOrTime) {
  {
    const auto db = create();
    ASSERT_NE(db, nullptr);
    std::string reason;
    ASSERT_TRUE(db->save(&reason)) << reason;
  }
  std::string reason;
  auto saved = open(reason);
  ASSERT_NE(saved, nullptr) << reason;
  EXPECT_FALSE(saved->isStale(&reason)) << reason;
  EXPECT_FALSE(saved->isStale(&reason)) << reason;

  // The same bytes written again at another time.
  const std::string netList = circuit() + "/netlist.json";
  const auto then = std::filesystem::last_write_time(netList);
  std::filesystem::last_write_time(netList, then - std::chrono::hours(1));
  reason.clear();
  EXPECT_TRUE(saved->isStale(&reason));
  EXPECT_NE(reason.find("netlist.json has changed"), std::string::npos) << reason;
  std::filesystem::last_write_time(netList, then);
  EXPECT_FALSE(saved->isStale());

  // A sheet inside a block grown, at the same time as before.
  const std::string leaf = circuit() + "/leaf.sht";
  const auto leafTime = std::filesystem::last_write_time(leaf);
  dir.file("c.cir/leaf.sht", testSheet({{1, "parts", "R?"}, {2, "parts", "C?"}, {3, "parts", "L?"}}));
  std::filesystem::last_write_time(leaf, leafTime);
  reason.clear();
  EXPECT_TRUE(saved->isStale(&reason));
  EXPECT_NE(reason.find("leaf.sht has changed"), std::string::npos) << reason;
}

TEST_F(InstanceDbTest, SavingWhereNoFileCanBeMadeFails) {
  std::string reason;
  const auto netList = NetList::open(circuit(), &reason);
  ASSERT_NE(netList, nullptr) << reason;
  const std::string nowhere = dir.file("missing/instance.db");
  const auto db = InstanceDb::create(dir.path(), "c.cir", nowhere, *netList, &reason);
  ASSERT_NE(db, nullptr) << reason;
  EXPECT_FALSE(db->save(&reason));
  EXPECT_EQ(reason.rfind(nowhere + ".tmp.", 0), 0u) << reason;
  EXPECT_NE(reason.find(": cannot create: No such file or directory"), std::string::npos) << reason;
}

// Databases that open() refuses, built at test time from SQL. Text, an
// empty file (of no application id), one cut short and another schema
// version are run end to end.
TEST_F(InstanceDbTest, FilesThatAreNotAUsableInstanceDatabaseAreRefused) {
  struct Case {
    const char* what;
    std::string sql;
    std::string reason;  // after "<file>: "
  };
  const std::string schema = kInstanceSchemaSql;
  const std::string top = "INSERT INTO sheets VALUES (1, NULL, 'top.sht', 1, 1);";
  const Case cases[] = {
      {"tables missing", "PRAGMA application_id = 1264077134; PRAGMA user_version = 1;",
       "no such table: sheets (1)"},
      {"a sheet in a block of no sheet", schema + top + "INSERT INTO sheets VALUES (2, 5, 'leaf.sht', 2, 2);",
       "sheet entry 2 lies in a block of no sheet before it"},
      {"a cycle",
       schema + "INSERT INTO sheets VALUES (1, 1, 'a.sht', 1, 1), (2, 2, 'b.sht', 2, 2);"
                "INSERT INTO blocks VALUES (1, 2, 1), (2, 1, 1);",
       "sheet entry 1 lies in a block of no sheet before it"},
      {"a block on no sheet", schema + top + "INSERT INTO blocks VALUES (1, 9, 4);",
       "a block entry lies on no sheet"},
      {"a sheet number beyond 32 bits", schema + "INSERT INTO sheets VALUES (1, NULL, 'top.sht', 1, 4294967296);",
       "sheet entry 1 is damaged"},
      {"blocks too deep",
       schema + top +
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 33) "
           "INSERT INTO blocks SELECT i, i, 1 FROM n;"
           "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 34) "
           "INSERT INTO sheets SELECT i, i - 1, 'leaf.sht', i, i FROM n;",
       "sheet entry 34 nests deeper than 32 levels"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(instanceFile());
    ASSERT_FALSE(dir.database("c.cir/instance.db", c.sql).empty()) << c.what;
    std::string reason;
    EXPECT_EQ(open(reason), nullptr) << c.what;
    EXPECT_EQ(reason, instanceFile() + ": " + c.reason) << c.what;
  }
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

// Holding the lock itself is run end to end against another process.
TEST(InstanceLockTest, OneHolderAtATime) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  std::string reason;
  InstanceLock first = InstanceLock::acquire(dir.path(), std::chrono::milliseconds(0), &reason);
  ASSERT_TRUE(first.isHeld()) << reason;
  const InstanceLock second = InstanceLock::acquire(dir.path(), std::chrono::milliseconds(0));
  EXPECT_FALSE(second.isHeld());
  EXPECT_TRUE(second.busy());
  // Another path to the same folder meets the same lock.
  ASSERT_EQ(::symlink(dir.path().c_str(), dir.file("link").c_str()), 0);
  EXPECT_TRUE(InstanceLock::acquire(dir.file("link") + "/.", std::chrono::milliseconds(0)).busy());
  InstanceLock moved = std::move(first);
  EXPECT_FALSE(first.isHeld());  // NOLINT(bugprone-use-after-move): a moved-from lock holds nothing
  EXPECT_TRUE(moved.isHeld());
  moved.release();
  EXPECT_TRUE(InstanceDb::checkLock(dir.path()).isHeld());

  const InstanceLock none = InstanceLock::acquire(dir.file("missing"), std::chrono::milliseconds(0), &reason);
  EXPECT_FALSE(none.isHeld());
  EXPECT_FALSE(none.busy());
  EXPECT_EQ(reason, dir.file("missing") + ": cannot open the folder to lock it: No such file or directory");
}

}  // namespace
}  // namespace comptab
