-- An example KCDB: the library parts of a small board, the rows that follow
-- the schema. Build it with:
--   cat platform/kcdb/kcdb_schema.sql examples/kcdb.sql | sqlite3 examples/kcdb.db
-- docs/kcdb.md describes every table and column.
--
-- Type codes: 2 a parts component (a whole part in one symbol), 3 a gate,
-- 4 a power box, 6 a connector.

BEGIN;

-- The parts of examples/board.sht, by the "cdbName" and "componentName"
-- values its components carry.
INSERT INTO libraries (id, name, present) VALUES
  (1, 'logic', 1),
  (2, 'passive', 1),
  (3, 'power', 1),
  (4, 'connector', 1),
  (5, 'archive', 0);   -- listed, but its components are not installed

INSERT INTO devices (id, name, library_id) VALUES
  (1, 'QNAND-14', 1),  -- quad 2-input NAND gate: four gate symbols and a power box
  (2, 'RES-0603', 2),  -- resistor
  (3, 'CAP-0805', 2),  -- capacitor
  (4, 'CAP-1206', 2),  -- the larger capacitor of the PRO build
  (5, 'LDO-5V', 3),    -- regulator, one symbol with its own supply pins
  (6, 'HDR-1X4', 4),   -- 4-pin header
  (7, 'QNAND-14-OLD', 5);  -- in the archive: known, but without components

-- Each device names its components with "componentName" entries; other
-- entries are values a row of that part may carry. A name may repeat: a
-- row matches when its value is any one of them.
INSERT INTO device_properties (device_id, position, name, value) VALUES
  (1, 1, 'componentName', 'NAND2'),
  (1, 2, 'componentName', 'PWR'),
  (1, 3, 'partName', 'QNAND-14'),
  (2, 1, 'componentName', 'RES'),
  (2, 2, 'value', '10k'),
  (2, 3, 'value', '4k7'),
  (3, 1, 'componentName', 'CAP'),
  (3, 2, 'value', '10u'),
  (3, 3, 'value', '4u7'),
  (4, 1, 'componentName', 'CAP'),
  (4, 2, 'value', '22u'),
  (5, 1, 'componentName', 'LDO'),
  (6, 1, 'componentName', 'HDR4'),
  (7, 1, 'componentName', 'NAND2'),
  (7, 2, 'partName', 'QNAND-14-OLD');

INSERT INTO components (id, device_id, name, type_code, gate_count) VALUES
  (1, 1, 'NAND2', 3, 4),
  (2, 1, 'PWR', 4, 1),
  (3, 2, 'RES', 2, 1),
  (4, 3, 'CAP', 2, 1),
  (5, 4, 'CAP', 2, 1),
  (6, 5, 'LDO', 2, 1),
  (7, 6, 'HDR4', 6, 1);

INSERT INTO pin_gates (component_id, pin_number, gate_no) VALUES
  -- NAND2: inputs, output
  (1, '1', 1), (1, '2', 1), (1, '3', 1),
  (1, '4', 2), (1, '5', 2), (1, '6', 2),
  (1, '9', 3), (1, '10', 3), (1, '8', 3),
  (1, '12', 4), (1, '13', 4), (1, '11', 4),
  -- PWR: ground and supply of all four gates
  (2, '7', 1), (2, '14', 1),
  (3, '1', 1), (3, '2', 1),
  (4, '1', 1), (4, '2', 1),
  (5, '1', 1), (5, '2', 1),
  (6, '1', 1), (6, '2', 1), (6, '3', 1),
  (7, '1', 1), (7, '2', 1), (7, '3', 1), (7, '4', 1);

COMMIT;
