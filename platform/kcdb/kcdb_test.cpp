#include "platform/kcdb/kcdb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/kcdb/kcdb_test_db.h"

namespace comptab {
namespace {

// Two present libraries, one listed without its components, and a device
// whose library row is missing. Rows go in out of order on purpose: the
// property table's order is its positions', not the insertion order.
const char* const kLibrarySql = R"sql(
INSERT INTO libraries VALUES (1, 'logic', 1), (2, 'archive', 0), (3, 'passive', 1);
INSERT INTO devices VALUES (1, '74HC00', 1), (2, '74LS00', 2), (3, 'RES-10K', 3), (4, 'ORPHAN', 9),
                           (5, 'BGA-1', 1), (6, 'it''s', 3);
INSERT INTO device_properties VALUES
  (1, 30, 'componentName', 'PWR'), (1, 10, 'componentName', 'NAND'), (1, 20, 'VALUE', ''),
  (1, 25, 'VALUE', '74HC00'), (2, 1, 'componentName', 'NAND');
INSERT INTO components VALUES (1, 1, 'NAND', 3, 4), (3, 2, 'NAND', 3, 4), (4, 3, 'RES', 2, 1), (5, 5, 'CORE', 2, 2);
INSERT INTO pin_gates VALUES (1, '1', 1), (1, '4', 2), (1, '13', 4), (1, 'NC', 0), (5, 'A3', 1), (5, 'b3', 2);
)sql";

class KcdbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    path = dir.database("kcdb.db", std::string(kKcdbSchemaSql) + kLibrarySql);
    ASSERT_FALSE(path.empty());
    std::string reason;
    ASSERT_EQ(access.open(path, &reason), 1) << reason;
  }
  ScratchDir dir;
  std::string path;
  KcdbAccess access;
};

TEST_F(KcdbTest, DevicesWithTheirPropertyTables) {
  const std::pair<const char*, const char*> cases[] = {
      {"74HC00", "componentName=NAND VALUE= VALUE=74HC00 componentName=PWR "},
      {"RES-10K", ""},
      {"74LS00", "componentName=NAND "},  // known even though its library is not present
      {"it's", ""},
      {"74hc00", nullptr},  // names are exact text
      {"x' OR '1'='1", nullptr},
  };
  std::string reason;  // stays empty: a missing device is no failure
  for (const auto& [name, props] : cases) {
    const KcdbDevice device = access.device(name, &reason);
    std::string seen;
    for (const KcdbProperty& entry : device.props()) seen += entry.name + "=" + entry.value + " ";
    EXPECT_EQ(device.isValid() ? seen : "(none)", props ? props : "(none)") << name;
  }
  EXPECT_EQ(reason, "");
}

TEST_F(KcdbTest, ReadersByTheLibraryOfTheDevice) {
  KcdbReader* logic = access.reader("74HC00");
  ASSERT_NE(logic, nullptr);
  EXPECT_EQ(logic->libraryName(), "logic");
  EXPECT_EQ(access.reader("BGA-1"), logic);  // one reader per library
  ASSERT_NE(access.reader("RES-10K"), nullptr);
  EXPECT_EQ(access.reader("RES-10K")->libraryName(), "passive");
  std::string reason;                                    // stays empty: a device without a reader is no failure
  EXPECT_EQ(access.reader("74LS00", &reason), nullptr);  // library not present
  EXPECT_EQ(access.reader("ORPHAN", &reason), nullptr);  // library not listed
  EXPECT_EQ(access.reader("NOPE", &reason), nullptr);
  EXPECT_EQ(access.requestCounts().readers, 7);  // each call asks, found or not
  EXPECT_EQ(reason, "");
}

// A component as "type/gate count", then the gates of the pins asked for.
TEST_F(KcdbTest, ComponentsAndTheirGatesByPinNumber) {
  KcdbReader* logic = access.reader("74HC00");
  ASSERT_NE(logic, nullptr);
  const auto found = [logic](const char* device, const char* component, std::initializer_list<const char*> pins) {
    const KcdbComponent c = logic->component(device, component);
    std::string out = c.isValid() ? std::to_string(c.compType()) + "/" + std::to_string(c.gateCount()) : "-";
    for (const char* pin : pins) out += " " + std::to_string(c.gateNo(pin));
    return out;
  };
  // After the listed pins: one listed without a gate, one not listed, pin
  // numbers are text, another component's pin.
  EXPECT_EQ(found("74HC00", "NAND", {"1", "4", "13", "NC", "5", "01", "A3"}), "3/4 1 2 4 0 0 0 0");
  EXPECT_EQ(found("BGA-1", "CORE", {"A3", "b3", "a3"}), "2/2 1 2 0");
  // Letter case counts; not a component of another device, of the same
  // library or not.
  EXPECT_EQ(found("74HC00", "nand", {}) + found("74HC00", "RES", {}) + found("BGA-1", "NAND", {}) +
                found("74LS00", "NAND", {}),
            "----");
  EXPECT_EQ(access.requestCounts().components, 6);
}

// Reading leaves no journal or other file behind, and what was read stays.
TEST_F(KcdbTest, CopiesOutliveTheOpenDatabase) {
  const std::string before = dir.listing();
  const KcdbComponent nand = access.reader("74HC00")->component("74HC00", "NAND");
  const KcdbDevice device = access.device("74HC00");
  access.close();
  EXPECT_EQ(dir.listing(), before);
  EXPECT_EQ(nand.gateNo("13"), 4);
  EXPECT_EQ(device.props().size(), 4u);
  EXPECT_EQ(access.device("74HC00").isValid(), 0);
  EXPECT_EQ(access.reader("74HC00"), nullptr);
  ASSERT_EQ(access.open(path), 1);
  EXPECT_EQ(access.device("74HC00").isValid(), 1);
}

// A relative name that looks like a URI asking for a new file stays a plain
// (missing) file name.
TEST_F(KcdbTest, AFileNameIsNeverAUri) {
  const std::string before = dir.listing();
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  KcdbAccess other;
  const int opened = other.open("file:made.db?mode=rwc");
  std::filesystem::current_path(previous);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(dir.listing(), before);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// A missing, empty, cut-short or text file is run end to end.
TEST_F(KcdbTest, BrokenDatabasesDoNotOpen) {
  std::ifstream small(dir.database("small.db", kKcdbSchemaSql), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(small)), std::istreambuf_iterator<char>());
  const std::pair<std::string, const char*> cases[] = {
      {"", "no database named"},
      {dir.write("bad.db", bytes.substr(0, 100) + std::string(200, 'Z') + bytes.substr(300)), "malformed"},
      {dir.database("wal.db", std::string(kKcdbSchemaSql) + "PRAGMA journal_mode = WAL;"), "in write-ahead-log mode"},
      {dir.database("v2.db", replaced(kKcdbSchemaSql, "user_version = 1", "user_version = 2")),
       "schema version 2, expected 1"},
      {dir.database("nopins.db", replaced(kKcdbSchemaSql, "TABLE pin_gates", "TABLE gates")),
       "table pin_gates missing"},
      {dir.database("nocount.db", replaced(kKcdbSchemaSql, "gate_count INTEGER NOT NULL CHECK (gate_count >= 0),", "")),
       "table components has no column gate_count"},
      {dir.database("tt.db", replaced(kKcdbSchemaSql, "type_code  INTEGER", "type_code TEXT")),
       "column components.type_code is declared \"TEXT\", expected INTEGER"},
  };
  const std::string before = dir.listing();
  for (const auto& [broken, expected] : cases) {
    std::string reason;
    EXPECT_EQ(access.open(broken, &reason), 0) << expected;
    EXPECT_EQ(access.isValid(), 0);
    EXPECT_EQ(reason.rfind(broken + ": ", 0), broken.empty() ? std::string::npos : 0u) << reason;
    EXPECT_NE(reason.find(expected), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    EXPECT_EQ(access.device("74HC00").isValid(), 0);
    EXPECT_EQ(access.reader("74HC00"), nullptr);
  }
  EXPECT_EQ(dir.listing(), before);
}

// Without STRICT tables SQLite stores whatever it is given; such values
// fail the one lookup that meets them, with a reason, and the next lookup
// still works.
TEST_F(KcdbTest, BadValuesFailTheirLookup) {
  std::string sql = kKcdbSchemaSql;
  for (const char* check : {"CHECK (type_code BETWEEN 0 AND 65535)", "CHECK (gate_no >= 0)"})
    sql = replaced(sql, check, "");
  while (sql.find(") STRICT;") != std::string::npos) sql = replaced(sql, ") STRICT;", ");");
  const std::string loose = dir.database("loose.db", sql + R"sql(
INSERT INTO libraries VALUES (1, 'good', 1), (2, 'odd', 'yes');
INSERT INTO devices VALUES (1, 'D', 1), (2, 'BLOB', 1), (3, 'ODD', 2);
INSERT INTO device_properties VALUES (1, 1, 'VALUE', '1k'), (2, 1, 'VALUE', X'00');
INSERT INTO components VALUES (1, 1, 'BIG', 70000, 1), (3, 1, 'NEG', 3, 1), (4, 1, 'OK', 3, 2);
INSERT INTO pin_gates VALUES (3, '1', -1), (4, '1', 2);
)sql");
  std::string reason;
  ASSERT_EQ(access.open(loose, &reason), 1) << reason;
  KcdbReader* reader = access.reader("D");
  ASSERT_NE(reader, nullptr);
  // A lookup's isValid(), the reason it fails.
  const std::pair<std::function<int()>, const char*> cases[] = {
      {[&] { return access.device("BLOB", &reason).isValid(); },
       "device \"BLOB\": device_properties.value is not text"},
      {[&] { return reader->component("D", "BIG", &reason).isValid(); },
       "device \"D\" component \"BIG\": components.type_code is 70000, outside 0 to 65535"},
      {[&] { return reader->component("D", "NEG", &reason).isValid(); },
       "pin_gates.gate_no is -1, outside 0 to 2147483647"},
      {[&] { return access.reader("ODD", &reason) ? 1 : 0; },
       "library of device \"ODD\": libraries.present is not an integer"},
  };
  for (const auto& [lookup, expected] : cases) {
    reason.clear();
    EXPECT_EQ(lookup(), 0) << expected;
    EXPECT_EQ(reason.rfind(loose + ": ", 0), 0u) << reason;
    EXPECT_NE(reason.find(expected), std::string::npos) << reason;
    // The failed statement was reset: the same lookups work right after.
    EXPECT_EQ(access.device("D").props().at(0).value, "1k");
    EXPECT_EQ(reader->component("D", "OK").gateNo("1"), 2);
  }
}

}  // namespace
}  // namespace comptab
