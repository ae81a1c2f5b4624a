-- The KCDB schema, version 1 (docs/kcdb.md describes every table and
-- column). A KCDB is built from this text followed by its rows:
--   cat platform/kcdb/kcdb_schema.sql rows.sql | sqlite3 kcdb.db
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
