#include "platform/kcdb/kcdb_schema.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "platform/support/sqlite_db.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

// SQLite stores what a column is declared as only as a hint, the column's
// affinity; that is what can be checked.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

struct ExpectedColumn {
  const char* name;
  Affinity affinity;
};

struct ExpectedTable {
  const char* name;
  std::initializer_list<ExpectedColumn> columns;
};

const ExpectedTable kTables[] = {
    {"libraries", {{"id", Affinity::Integer}, {"name", Affinity::Text}, {"present", Affinity::Integer}}},
    {"devices", {{"id", Affinity::Integer}, {"name", Affinity::Text}, {"library_id", Affinity::Integer}}},
    {"device_properties",
     {{"device_id", Affinity::Integer},
      {"position", Affinity::Integer},
      {"name", Affinity::Text},
      {"value", Affinity::Text}}},
    {"components",
     {{"id", Affinity::Integer},
      {"device_id", Affinity::Integer},
      {"name", Affinity::Text},
      {"type_code", Affinity::Integer},
      {"gate_count", Affinity::Integer}}},
    {"pin_gates",
     {{"component_id", Affinity::Integer}, {"pin_number", Affinity::Text}, {"gate_no", Affinity::Integer}}},
};

const char* affinityName(Affinity affinity) {
  switch (affinity) {
    case Affinity::Integer:
      return "INTEGER";
    case Affinity::Text:
      return "TEXT";
    case Affinity::Blob:
      return "BLOB";
    case Affinity::Real:
      return "REAL";
    case Affinity::Numeric:
      break;
  }
  return "NUMERIC";
}

// SQLite's own rules, in its order: the first that matches the declared
// type name wins.
Affinity affinityOf(std::string_view declared) {
  std::string upper(declared);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const auto has = [&upper](const char* part) { return upper.find(part) != std::string::npos; };
  if (has("INT")) return Affinity::Integer;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::Text;
  if (upper.empty() || has("BLOB")) return Affinity::Blob;
  if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::Real;
  return Affinity::Numeric;
}

bool checkVersion(SqliteDb& db, std::string* reason) {
  int64_t version = 0;
  if (!db.pragmaInt("user_version", version, reason)) return false;
  if (version != kKcdbSchemaVersion) {
    *reason = "schema version " + std::to_string(version) + ", expected " + std::to_string(kKcdbSchemaVersion) +
              (version == 0 ? " (not a KCDB)" : "");
    return false;
  }
  return true;
}

bool checkTable(SqliteStatement& columns, const ExpectedTable& table, std::string* reason) {
  if (!columns.reset(reason) || !columns.bind(1, std::string_view(table.name), reason)) return false;
  struct Declared {
    std::string name;
    std::string type;
  };
  std::vector<Declared> declared;
  for (;;) {
    const SqliteStatement::Step step = columns.step(reason);
    if (step == SqliteStatement::Step::Done) break;
    if (step == SqliteStatement::Step::Error) return false;
    Declared column;
    if (!columns.columnText(0, column.name, reason) || !columns.columnText(1, column.type, reason)) return false;
    declared.push_back(std::move(column));
  }
  if (declared.empty()) {
    *reason = std::string("table ") + table.name + " missing";
    return false;
  }
  for (const ExpectedColumn& wanted : table.columns) {
    // Column names in SQL ignore letter case.
    const auto found = std::find_if(declared.begin(), declared.end(),
                                    [&wanted](const Declared& d) { return equalsNoCase(d.name, wanted.name); });
    if (found == declared.end()) {
      *reason = std::string("table ") + table.name + " has no column " + wanted.name;
      return false;
    }
    if (affinityOf(found->type) != wanted.affinity) {
      *reason = std::string("column ") + table.name + "." + wanted.name + " is declared \"" + found->type +
                "\", expected " + affinityName(wanted.affinity);
      return false;
    }
  }
  return true;
}

}  // namespace


bool checkKcdbSchema(SqliteDb& db, std::string* reason) {
  if (!checkVersion(db, reason)) return false;
  const auto columns = db.prepare("SELECT name, type FROM pragma_table_info(?1)", reason);
  if (!columns) return false;
  for (const ExpectedTable& table : kTables) {
    if (!checkTable(*columns, table, reason)) return false;
  }
  return true;
}

}  // namespace comptab
