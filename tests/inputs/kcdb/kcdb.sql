-- The KCDB of the packaging cases (docs/kcdb.md): the rows that follow the
-- schema (kcdb_schema.sql, the one in platform/kcdb/).
BEGIN;
INSERT INTO libraries (id, name, present) VALUES (1, 'logic', 1), (2, 'passive', 1), (3, 'archive', 0);
INSERT INTO devices (id, name, library_id) VALUES
  (1, 'QUAD', 1),  -- four NAND gates and a power box
  (2, 'RES', 2),   -- a whole part; two values allowed
  (3, 'LDO', 1),   -- a whole part with a power box
  (4, 'OLD', 3);   -- its library is not installed
INSERT INTO device_properties (device_id, position, name, value) VALUES
  (1, 1, 'componentName', 'NAND'), (1, 2, 'componentName', 'PWR'),
  (2, 1, 'componentName', 'RES'), (2, 2, 'value', '10k'), (2, 3, 'value', '22k'),
  (3, 1, 'componentName', 'LDO'), (3, 2, 'componentName', 'LDOPWR'),
  (4, 1, 'componentName', 'OLDNAND');
INSERT INTO components (id, device_id, name, type_code, gate_count) VALUES
  (1, 1, 'NAND', 3, 4), (2, 1, 'PWR', 4, 1), (3, 2, 'RES', 2, 1), (4, 3, 'LDO', 2, 1), (5, 3, 'LDOPWR', 4, 1);
INSERT INTO pin_gates (component_id, pin_number, gate_no) VALUES
  (1, '1', 1), (1, '2', 1), (1, '3', 1), (1, '4', 2), (1, '5', 2), (1, '6', 2),
  (1, '8', 3), (1, '9', 3), (1, '10', 3), (1, '11', 4), (1, '12', 4), (1, '13', 4),
  (1, '99', 0),  -- a pin of no gate
  (2, '7', 1), (2, '14', 1),
  (3, '1', 1), (3, '2', 1),
  (4, '1', 1), (4, '2', 1), (4, '3', 1),
  (5, '1', 1), (5, '2', 1);
COMMIT;
