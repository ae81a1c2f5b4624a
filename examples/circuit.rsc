# A resource file for the example circuit: one line per component with its
# place in the hierarchy, sorted by reference.
#
#   comptab -p:resource examples/circuit.rsc examples/amp.cir
#   comptab -p:resource examples/circuit.rsc -p:level 1 examples/amp.cir
#
# docs/resource-file.md describes every key, docs/circuit.md circuits.

separator = ","
emptyCell = "-"
token = ","

formatTable = [
  ["reference",  10, "no", "left"],
  ["partName",   11, "no", "left"],
  ["value",       7, "no", "left"],
  ["_HLEV",       3, "no", "right"],
  ["_HID",       27, "no", "left"],
  ["sheetNumber", 4, "no", "left"],
  ["_ZONE",       5, "no", "left"],
]

headerAlias = [
  ["_HLEV", "lv"],
  ["_HID", "path"],
  ["sheetNumber", "sht"],
  ["_ZONE", "zone"],
]

sortKey = ["reference"]

# Symbols that are not parts of the board.
excludeType = ["power", "ground", "titleBlock"]

# Every level; -p:level on the command line overrides it.
hierarchyLevel = -1

endOfLineStyle = "lf"
