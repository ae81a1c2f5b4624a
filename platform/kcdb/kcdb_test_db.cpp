#include "platform/kcdb/kcdb_test_db.h"

#include <gtest/gtest.h>

#include "platform/support/sqlite_db.h"

namespace comptab {

const char* const kKcdbSchemaSql = R"sql(
PRAGMA user_version = 1;
CREATE TABLE libraries (
  id      INTEGER PRIMARY KEY,
  name    TEXT NOT NULL UNIQUE,
  present INTEGER NOT NULL DEFAULT 1
) STRICT;
CREATE TABLE devices (
  id         INTEGER PRIMARY KEY,
  name       TEXT NOT NULL UNIQUE,
  library_id INTEGER NOT NULL REFERENCES libraries(id)
) STRICT;
CREATE TABLE device_properties (
  device_id INTEGER NOT NULL REFERENCES devices(id),
  position  INTEGER NOT NULL,
  name      TEXT NOT NULL,
  value     TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (device_id, position)
) STRICT;
CREATE TABLE components (
  id         INTEGER PRIMARY KEY,
  device_id  INTEGER NOT NULL REFERENCES devices(id),
  name       TEXT NOT NULL,
  type_code  INTEGER NOT NULL CHECK (type_code BETWEEN 0 AND 65535),
  gate_count INTEGER NOT NULL CHECK (gate_count >= 0),
  UNIQUE (device_id, name)
) STRICT;
CREATE TABLE pin_gates (
  component_id INTEGER NOT NULL REFERENCES components(id),
  pin_number   TEXT NOT NULL,
  gate_no      INTEGER NOT NULL CHECK (gate_no >= 0),
  PRIMARY KEY (component_id, pin_number)
) STRICT;
)sql";

std::string ScratchDir::database(const std::string& name, const std::string& sql) const {
  std::string error;
  if (SqliteDb::createFromSql(file(name), sql, &error)) return file(name);
  ADD_FAILURE() << "building " << name << ": " << error;
  return "";
}

}  // namespace comptab
