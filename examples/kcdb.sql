-- An example KCDB: the library parts of a small board.
-- Build it with:  sqlite3 kcdb.db < examples/kcdb.sql
-- docs/kcdb.md describes every table and column.
--
-- Type codes: 2 a parts component (a whole part in one symbol), 3 a gate,
-- 4 a power box, 6 a connector.

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

BEGIN;

INSERT INTO libraries (id, name, present) VALUES
  (1, 'logic', 1),
  (2, 'passive', 1),
  (3, 'connector', 1),
  (4, 'archive', 0);   -- listed, but its components are not installed

INSERT INTO devices (id, name, library_id) VALUES
  (1, '74HC00', 1),    -- quad 2-input NAND gate
  (2, 'RES-10K', 2),   -- resistor
  (3, 'CAP-100N', 2),  -- capacitor
  (4, 'CONN-4', 3),    -- 4-pin header
  (5, '74LS00', 4);    -- in the archive: known, but without components

-- Each device names its components with "componentName" entries; other
-- entries are values a row of that part may carry. A name may repeat: a
-- row matches when its value is any one of them.
INSERT INTO device_properties (device_id, position, name, value) VALUES
  (1, 1, 'componentName', 'NAND'),
  (1, 2, 'componentName', 'PWR'),
  (1, 3, 'partName', '74HC00'),
  (2, 1, 'componentName', 'RES'),
  (2, 2, 'value', '10k'),
  (3, 1, 'componentName', 'CAP'),
  (3, 2, 'value', '100n'),
  (3, 3, 'value', '0.1u'),
  (4, 1, 'componentName', 'CONN4'),
  (5, 1, 'componentName', 'NAND'),
  (5, 2, 'partName', '74LS00');

INSERT INTO components (id, device_id, name, type_code, gate_count) VALUES
  (1, 1, 'NAND', 3, 4),
  (2, 1, 'PWR', 4, 1),
  (3, 2, 'RES', 2, 1),
  (4, 3, 'CAP', 2, 1),
  (5, 4, 'CONN4', 6, 1);

INSERT INTO pin_gates (component_id, pin_number, gate_no) VALUES
  -- NAND: inputs, output
  (1, '1', 1), (1, '2', 1), (1, '3', 1),
  (1, '4', 2), (1, '5', 2), (1, '6', 2),
  (1, '9', 3), (1, '10', 3), (1, '8', 3),
  (1, '12', 4), (1, '13', 4), (1, '11', 4),
  -- PWR: ground and supply of all four gates
  (2, '7', 1), (2, '14', 1),
  (3, '1', 1), (3, '2', 1),
  (4, '1', 1), (4, '2', 1),
  (5, '1', 1), (5, '2', 1), (5, '3', 1), (5, '4', 1);

COMMIT;
