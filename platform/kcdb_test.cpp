#include "platform/kcdb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/kcdb_test_db.h"

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
INSERT INTO components VALUES (1, 1, 'NAND', 3, 4), (2, 1, 'PWR', 4, 1), (3, 2, 'NAND', 3, 4),
                              (4, 3, 'RES', 2, 1), (5, 5, 'CORE', 2, 2);
INSERT INTO pin_gates VALUES (1, '1', 1), (1, '2', 1), (1, '3', 1), (1, '4', 2), (1, '13', 4), (1, '11', 4),
                             (1, 'NC', 0), (2, '7', 1), (2, '14', 1), (5, 'A3', 1), (5, 'b3', 2);
)sql";

class KcdbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    path = dir.database("kcdb.db", std::string(kKcdbSchemaSql) + kLibrarySql);
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(access.open(path), 1) << access.error();
  }
  ScratchDir dir;
  std::string path;
  KcdbAccess access;
};

TEST_F(KcdbTest, DevicesWithTheirPropertyTables) {
  struct Case {
    const char* name;
    int valid;
    std::vector<std::pair<std::string, std::string>> props;
  };
  const Case cases[] = {
      {"74HC00", 1, {{"componentName", "NAND"}, {"VALUE", ""}, {"VALUE", "74HC00"}, {"componentName", "PWR"}}},
      {"RES-10K", 1, {}},
      {"74LS00", 1, {{"componentName", "NAND"}}},  // known even though its library is not present
      {"it's", 1, {}},
      {"74hc00", 0, {}},  // names are exact text
      {"74HC00 ", 0, {}},
      {"", 0, {}},
      {"x' OR '1'='1", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const KcdbDevice device = access.device(c.name);
    ASSERT_EQ(device.isValid(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(device.deviceName(), c.name);
    std::vector<std::pair<std::string, std::string>> props;
    for (const KcdbProperty& entry : device.props()) props.emplace_back(entry.name, entry.value);
    EXPECT_EQ(props, c.props);
  }
  EXPECT_EQ(access.error(), "");
}

TEST_F(KcdbTest, ReadersByTheLibraryOfTheDevice) {
  KcdbReader* logic = access.reader("74HC00");
  ASSERT_NE(logic, nullptr);
  EXPECT_EQ(logic->libraryName(), "logic");
  EXPECT_EQ(access.reader("BGA-1"), logic);  // one reader per library
  ASSERT_NE(access.reader("RES-10K"), nullptr);
  EXPECT_EQ(access.reader("RES-10K")->libraryName(), "passive");
  EXPECT_EQ(access.reader("74LS00"), nullptr);  // library not present
  EXPECT_EQ(access.reader("ORPHAN"), nullptr);  // library not listed
  EXPECT_EQ(access.reader("NOPE"), nullptr);
  EXPECT_EQ(access.reader(""), nullptr);
  EXPECT_EQ(access.requestCounts().readers, 8);
  EXPECT_EQ(access.error(), "");
}

TEST_F(KcdbTest, ComponentsOfADeviceInTheReadersLibrary) {
  KcdbReader* logic = access.reader("74HC00");
  ASSERT_NE(logic, nullptr);
  struct Case {
    const char* device;
    const char* component;
    int valid;
    uint16_t type;
    int gates;
  };
  const Case cases[] = {
      {"74HC00", "NAND", 1, 3, 4}, {"74HC00", "PWR", 1, 4, 1}, {"BGA-1", "CORE", 1, 2, 2},
      {"74HC00", "nand", 0, 0, 0}, {"74HC00", "RES", 0, 0, 0},  // a component of another device
      {"BGA-1", "NAND", 0, 0, 0},                               // of another device of the same library
      {"74LS00", "NAND", 0, 0, 0},                              // the device is in another library
      {"74HC00", "", 0, 0, 0},     {"", "NAND", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + "/" + c.component);
    const KcdbComponent component = logic->component(c.device, c.component);
    ASSERT_EQ(component.isValid(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(component.compName(), c.component);
    EXPECT_EQ(component.compType(), c.type);
    EXPECT_EQ(component.gateCount(), c.gates);
  }
  EXPECT_EQ(access.requestCounts().components, 9);
}

TEST_F(KcdbTest, GateNumbersByPinNumber) {
  const KcdbComponent nand = access.reader("74HC00")->component("74HC00", "NAND");
  const KcdbComponent core = access.reader("BGA-1")->component("BGA-1", "CORE");
  ASSERT_TRUE(nand.isValid() && core.isValid());
  struct Case {
    const KcdbComponent& component;
    const char* pin;
    int gate;
  };
  const Case cases[] = {
      {nand, "1", 1},  {nand, "3", 1},  {nand, "4", 2},  {nand, "13", 4}, {nand, "11", 4},
      {nand, "NC", 0},  // listed without a gate
      {nand, "5", 0},   // not listed
      {nand, "01", 0},  // pin numbers are text, not numbers
      {nand, "", 0},   {nand, "A3", 0}, {core, "A3", 1}, {core, "a3", 0}, {core, "b3", 2},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.component.gateNo(c.pin), c.gate) << c.component.compName() << " pin " << c.pin;
}

TEST_F(KcdbTest, CopiesOutliveTheOpenDatabase) {
  const KcdbComponent nand = access.reader("74HC00")->component("74HC00", "NAND");
  const KcdbDevice device = access.device("74HC00");
  access.close();
  EXPECT_EQ(access.isValid(), 0);
  EXPECT_EQ(nand.gateNo("13"), 4);
  EXPECT_EQ(device.props().size(), 4u);
  EXPECT_EQ(access.device("74HC00").isValid(), 0);
  EXPECT_EQ(access.reader("74HC00"), nullptr);
  ASSERT_EQ(access.open(path), 1) << access.error();
  EXPECT_EQ(access.device("74HC00").isValid(), 1);
}

TEST_F(KcdbTest, OpeningAndReadingCreateNoFile) {
  const std::string before = dir.listing();
  KcdbAccess other;
  ASSERT_EQ(other.open(path), 1);
  EXPECT_EQ(other.device("74HC00").isValid(), 1);
  ASSERT_NE(other.reader("74HC00"), nullptr);
  EXPECT_EQ(other.reader("74HC00")->component("74HC00", "NAND").isValid(), 1);
  other.close();
  EXPECT_EQ(other.open(dir.file("absent.db")), 0);
  EXPECT_EQ(dir.listing(), before);

  // A relative name that looks like a URI asking for a new file stays a
  // plain (missing) file name.
  std::error_code ec;
  const std::filesystem::path previous = std::filesystem::current_path(ec);
  ASSERT_FALSE(ec);
  std::filesystem::current_path(dir.path(), ec);
  ASSERT_FALSE(ec);
  const int opened = other.open("file:made.db?mode=rwc");
  const std::string listing = dir.listing();
  std::filesystem::current_path(previous, ec);
  EXPECT_FALSE(ec);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(listing, before);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string schemaWithout(const std::string& table) {
  std::string sql = kKcdbSchemaSql;
  const size_t start = sql.find("CREATE TABLE " + table + " ");
  EXPECT_NE(start, std::string::npos) << table;
  if (start == std::string::npos) return sql;
  return sql.erase(start, sql.find(") STRICT;", start) + 9 - start);
}

// Many rows, so the file spans many pages and a cut loses some of them.
std::string bigLibrarySql() {
  return std::string(kKcdbSchemaSql) +
         "INSERT INTO libraries VALUES (1, 'logic', 1);"
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
         " INSERT INTO devices SELECT i, printf('DEVICE-%05d-%s', i, hex(randomblob(20))), 1 FROM n;";
}

TEST(KcdbOpen, BrokenDatabasesDoNotOpen) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const auto cut = [&dir](const std::string& name, size_t from, size_t length, bool overwrite) {
    const std::string path = dir.database(name, bigLibrarySql());
    std::string bytes;
    {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream all;
      all << in.rdbuf();
      bytes = all.str();
    }
    EXPECT_GT(bytes.size(), from + length);
    if (overwrite)
      bytes.replace(from, length, std::string(length, '\x5a'));
    else
      bytes.resize(from);
    return dir.write(name, bytes);
  };
  struct Case {
    const char* what;
    std::function<std::string()> make;  // the path to open
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"no name", [] { return std::string(); }, "no database named"},
      {"missing file", [&] { return dir.file("absent.db"); }, "no such file"},
      {"directory", [&] { return dir.path(); }, "is a directory"},
      {"empty file", [&] { return dir.write("empty.db", ""); }, "schema version 0, expected 1 (not a KCDB)"},
      {"text file", [&] { return dir.write("text.db", "74HC00 NAND 4\n74HC08 AND 4\n"); }, "file is not a database"},
      {"truncated", [&] { return cut("cut.db", 40960, 0, false); }, "database disk image is malformed"},
      {"corrupt first page", [&] { return cut("bad.db", 100, 200, true); }, "malformed"},
      {"write-ahead log",
       [&] { return dir.database("wal.db", std::string(kKcdbSchemaSql) + "PRAGMA journal_mode = WAL;"); },
       "in write-ahead-log mode"},
      {"another database", [&] { return dir.database("other.db", "CREATE TABLE parts (name TEXT);"); },
       "schema version 0, expected 1 (not a KCDB)"},
      {"newer version",
       [&] { return dir.database("v2.db", replaced(kKcdbSchemaSql, "user_version = 1", "user_version = 2")); },
       "schema version 2, expected 1"},
      {"table missing", [&] { return dir.database("nopins.db", schemaWithout("pin_gates")); },
       "table pin_gates missing"},
      {"column missing",
       [&] {
         return dir.database("nocount.db",
                             replaced(kKcdbSchemaSql, "gate_count INTEGER NOT NULL CHECK (gate_count >= 0),", ""));
       },
       "table components has no column gate_count"},
      {"text type code",
       [&] {
         return dir.database("texttype.db", replaced(kKcdbSchemaSql, "type_code  INTEGER NOT NULL", "type_code TEXT"));
       },
       "column components.type_code is declared \"TEXT\", expected INTEGER"},
      {"numeric pin number",
       [&] { return dir.database("numpin.db", replaced(kKcdbSchemaSql, "pin_number   TEXT", "pin_number INTEGER")); },
       "column pin_gates.pin_number is declared \"INTEGER\", expected TEXT"},
      {"untyped name",
       [&] {
         return dir.database("untyped.db", replaced(replaced(kKcdbSchemaSql, ") STRICT;\nCREATE TABLE devices",
                                                             ");\nCREATE TABLE devices"),
                                                    "name    TEXT NOT NULL UNIQUE", "name NOT NULL UNIQUE"));
       },
       "column libraries.name is declared \"\", expected TEXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = c.make();
    const std::string before = dir.listing();
    KcdbAccess access;
    EXPECT_EQ(access.open(path), 0);
    EXPECT_EQ(access.isValid(), 0);
    if (!path.empty()) {
      EXPECT_EQ(access.error().rfind(path + ": ", 0), 0u) << access.error();
    }
    EXPECT_NE(access.error().find(c.reason), std::string::npos) << access.error();
    EXPECT_EQ(access.error().find('\n'), std::string::npos) << access.error();
    EXPECT_EQ(access.device("74HC00").isValid(), 0);
    EXPECT_EQ(access.reader("74HC00"), nullptr);
    EXPECT_EQ(dir.listing(), before);
  }
}

// Without STRICT tables SQLite stores whatever it is given; such values
// fail the one lookup that meets them, with a reason, and the next lookup
// still works.
TEST(KcdbOpen, BadValuesFailTheirLookup) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  std::string loose = kKcdbSchemaSql;
  for (const char* check : {"CHECK (type_code BETWEEN 0 AND 65535)", "CHECK (gate_count >= 0)", "CHECK (gate_no >= 0)"})
    loose = replaced(loose, check, "");
  while (loose.find(") STRICT;") != std::string::npos) loose = replaced(loose, ") STRICT;", ");");
  const std::string path = dir.database("loose.db", loose + R"sql(
INSERT INTO libraries VALUES (1, 'good', 1), (2, 'odd', 'yes');
INSERT INTO devices VALUES (1, 'D', 1), (2, 'BLOB', 1), (3, 'ODD', 2);
INSERT INTO device_properties VALUES (1, 1, 'VALUE', '1k'), (2, 1, 'VALUE', X'00');
INSERT INTO components VALUES (1, 1, 'BIG', 70000, 1), (2, 1, 'WORD', 'abc', 1), (3, 1, 'NEG', 3, 1),
                              (4, 1, 'OK', 3, 2), (5, 1, 'HALF', 3, 1.5);
INSERT INTO pin_gates VALUES (3, '1', -1), (4, '1', 2);
)sql");
  KcdbAccess access;
  ASSERT_EQ(access.open(path), 1) << access.error();
  ASSERT_NE(access.reader("D"), nullptr);
  struct Case {
    const char* what;
    std::function<int()> lookup;  // isValid() of what it found
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"blob value", [&] { return access.device("BLOB").isValid(); },
       "device \"BLOB\": device_properties.value is not text"},
      {"type code too big", [&] { return access.reader("D")->component("D", "BIG").isValid(); },
       "device \"D\" component \"BIG\": components.type_code is 70000, outside 0 to 65535"},
      {"type code text", [&] { return access.reader("D")->component("D", "WORD").isValid(); },
       "components.type_code is not an integer"},
      {"gate count real", [&] { return access.reader("D")->component("D", "HALF").isValid(); },
       "components.gate_count is not an integer"},
      {"negative gate", [&] { return access.reader("D")->component("D", "NEG").isValid(); },
       "pin_gates.gate_no is -1, outside 0 to 2147483647"},
      {"present flag text", [&] { return access.reader("ODD") != nullptr ? 1 : 0; },
       "library of device \"ODD\": libraries.present is not an integer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.lookup(), 0);
    EXPECT_EQ(access.error().rfind(path + ": ", 0), 0u) << access.error();
    EXPECT_NE(access.error().find(c.reason), std::string::npos) << access.error();
    // The failed statement was reset: the same lookups work right after.
    const KcdbDevice device = access.device("D");
    ASSERT_EQ(device.isValid(), 1);
    EXPECT_EQ(device.props().at(0).value, "1k");
    EXPECT_EQ(access.reader("D")->component("D", "OK").gateNo("1"), 2);
  }
}

std::string sourceFile(const std::string& name) {
  std::ifstream in(std::string(COMPTAB_SOURCE_ROOT) + "/" + name);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The example in the documentation is a whole KCDB: it builds and reads.
TEST(KcdbOpen, DocumentedExample) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string doc = sourceFile("docs/kcdb.md");
  const size_t start = doc.find("```sql\n");
  ASSERT_NE(start, std::string::npos);
  const size_t end = doc.find("\n```", start);
  ASSERT_NE(end, std::string::npos);
  const std::string path = dir.database("doc.db", doc.substr(start + 7, end - start - 7));
  KcdbAccess access;
  ASSERT_EQ(access.open(path), 1) << access.error();
  ASSERT_NE(access.reader("74HC00"), nullptr);
  const KcdbComponent nand = access.reader("74HC00")->component("74HC00", "NAND");
  EXPECT_EQ(nand.gateCount(), 4);
  EXPECT_EQ(nand.gateNo("8"), 3);
  EXPECT_EQ(access.reader("RES-10K")->component("RES-10K", "RES").gateNo("2"), 1);
}

TEST(KcdbOpen, ExampleLibrary) {
  ScratchDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string sql = sourceFile("examples/kcdb.sql");
  ASSERT_FALSE(sql.empty());
  const std::string path = dir.database("example.db", sql);
  KcdbAccess access;
  ASSERT_EQ(access.open(path), 1) << access.error();

  // The names examples/board.sht gives its components.
  const KcdbDevice quad = access.device("QNAND-14");
  ASSERT_EQ(quad.isValid(), 1);
  std::vector<std::string> components;
  for (const KcdbProperty& entry : quad.props())
    if (entry.name == "componentName") components.push_back(entry.value);
  EXPECT_EQ(components, (std::vector<std::string>{"NAND2", "PWR"}));
  KcdbReader* reader = access.reader("QNAND-14");
  ASSERT_NE(reader, nullptr);
  const KcdbComponent nand = reader->component("QNAND-14", "NAND2");
  EXPECT_EQ(nand.gateCount(), 4);
  EXPECT_EQ(nand.gateNo("1"), 1);
  EXPECT_EQ(nand.gateNo("6"), 2);
  EXPECT_EQ(nand.gateNo("13"), 4);
  EXPECT_EQ(reader->component("QNAND-14", "PWR").gateNo("14"), 1);
  const struct {
    const char* device;
    const char* component;
  } parts[] = {{"RES-0603", "RES"}, {"CAP-0805", "CAP"}, {"CAP-1206", "CAP"}, {"LDO-5V", "LDO"}, {"HDR-1X4", "HDR4"}};
  for (const auto& part : parts) {
    SCOPED_TRACE(part.device);
    ASSERT_EQ(access.device(part.device).isValid(), 1);
    KcdbReader* partReader = access.reader(part.device);
    ASSERT_NE(partReader, nullptr);
    const KcdbComponent component = partReader->component(part.device, part.component);
    ASSERT_EQ(component.isValid(), 1);
    EXPECT_EQ(component.gateNo("1"), 1);
  }
  EXPECT_EQ(access.device("QNAND-14-OLD").isValid(), 1);
  EXPECT_EQ(access.reader("QNAND-14-OLD"), nullptr);
}

}  // namespace
}  // namespace comptab
