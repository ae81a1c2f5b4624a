#include "platform/circuit/instance_schema.h"

#include <cstdint>

#include "platform/circuit/instance_db.h"
#include "platform/support/sqlite_db.h"

namespace comptab {

// The application id and version are written by the SQL itself so that a
// database built from this text alone (as tests do) is complete.
const char* const kInstanceSchemaSql = R"sql(
PRAGMA application_id = 1264077134;
PRAGMA user_version = 1;
CREATE TABLE sheets (
  entry        INTEGER PRIMARY KEY,
  parent_block INTEGER REFERENCES blocks(entry),
  file         TEXT NOT NULL,
  sheet_id     INTEGER NOT NULL,
  sheet_number INTEGER NOT NULL
) STRICT;
CREATE TABLE blocks (
  entry            INTEGER PRIMARY KEY,
  sheet            INTEGER NOT NULL REFERENCES sheets(entry),
  component_number INTEGER NOT NULL
) STRICT;
CREATE TABLE instance_components (
  sheet    INTEGER NOT NULL REFERENCES sheets(entry),
  position INTEGER NOT NULL,
  number   INTEGER NOT NULL,
  PRIMARY KEY (sheet, position)
) STRICT, WITHOUT ROWID;
CREATE TABLE instance_values (
  sheet     INTEGER NOT NULL,
  component INTEGER NOT NULL,
  position  INTEGER NOT NULL,
  name      TEXT NOT NULL,
  value     TEXT NOT NULL,
  PRIMARY KEY (sheet, component, position),
  FOREIGN KEY (sheet, component) REFERENCES instance_components(sheet, position)
) STRICT, WITHOUT ROWID;
CREATE TABLE sources (
  file        TEXT PRIMARY KEY,
  size        INTEGER NOT NULL,
  modified_ns INTEGER NOT NULL
) STRICT, WITHOUT ROWID;
)sql";

static_assert(InstanceDb::kApplicationId == 1264077134, "kInstanceSchemaSql stamps this id");
static_assert(InstanceDb::kSchemaVersion == 1, "kInstanceSchemaSql stamps this version");

bool checkInstanceSchema(SqliteDb& db, std::string* reason) {
  int64_t application = 0;
  int64_t version = 0;
  if (!db.pragmaInt("application_id", application, reason) || !db.pragmaInt("user_version", version, reason))
    return false;
  if (application != InstanceDb::kApplicationId) {
    *reason = "not an instance database (application id " + std::to_string(application) + ")";
    return false;
  }
  if (version != InstanceDb::kSchemaVersion) {
    *reason = "schema version " + std::to_string(version) + ", expected " + std::to_string(InstanceDb::kSchemaVersion) +
              "; remove the file to have it built again";
    return false;
  }
  return true;
}

}  // namespace comptab
