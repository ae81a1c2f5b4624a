// Component types: what a placed component is (a whole part, one gate of a
// multi-gate part, the box that carries a part's power pins, a block that
// instantiates a sheet, a connector, a title block...). A sheet file names
// a type by its name or gives its 16-bit code; the program shows the name
// in "componentType" and users exclude types by name.
//
// The table is fixed. Names are case-sensitive; docs/sheet-file.md lists
// every name and code.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace comptab {

struct CompTypeEntry {
  uint16_t code;
  const char* name;
  const char* description;
};

struct CompType {
  // Codes of the table. Gaps are free for later types; 0 is no type.
  enum Code : uint16_t {
    Normal = 1,
    Parts = 2,
    Gate = 3,
    PowerBox = 4,
    Block = 5,
    Connector = 6,
    Power = 7,
    Ground = 8,
    SheetPort = 9,
    OffPage = 10,
    Mechanical = 11,
    TitleBlock = 12,
    TestPoint = 13,
    Graphic = 14,
  };

  static bool isGate(uint16_t code) { return code == Gate; }
  static bool isParts(uint16_t code) { return code == Parts; }
  static bool isPowerBox(uint16_t code) { return code == PowerBox; }
  static bool isBlock(uint16_t code) { return code == Block; }
  // By name: exact text of the table, so "Gate" is not a gate.
  static bool isGate(std::string_view name) { return code(name) == std::optional<uint16_t>(Gate); }
  static bool isParts(std::string_view name) { return code(name) == std::optional<uint16_t>(Parts); }
  static bool isPowerBox(std::string_view name) { return code(name) == std::optional<uint16_t>(PowerBox); }

  // The table's name of a code; a code outside the table gives "type"
  // followed by its decimal value ("type123"), so that every code has a
  // stable name that excludeType can match.
  static std::string name(uint16_t code);
  // The code of a table name, or nothing. "type123" is not a table name.
  static std::optional<uint16_t> code(std::string_view name);
  // The whole table in code order, for documentation and tests.
  static std::span<const CompTypeEntry> table();
};

}  // namespace comptab
