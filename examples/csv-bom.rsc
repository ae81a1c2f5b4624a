# A bill of materials as a CSV file, for a spreadsheet or an assembly house:
# one line per value and footprint, with its references (written as ranges,
# R1-R3) and how many to buy per board and for the whole build.
#
#   comptab -p:resource examples/csv-bom.rsc -p:boards 25 examples/board.sht
#
# writes bom-<destination>.csv, one file for each build of the board. The
# keys after the first block are comptab's own; docs/resource-file.md
# describes every key.

separator = ","
emptyCell = ""     # a cell the component has no value for stays empty
token = ","        # references of one line: "R1,R2" (quoted in the file)

# Cells are quoted only where a reader needs it; no padding.
tableFormat = "csv"
# One file per table: $DEST becomes LITE, PRO, _TOBOARD (the board itself).
output = "bom-$DEST.csv"
forceOverwrite = "YES"

# Lines fold when both value and footprint are equal.
package = ["value", "footprint"]
# Three or more references in a row are written as a range.
referenceRanges = "YES"

formatTable = [
  ["reference",  0],
  ["_REFCOUNT",  0],   # per board
  ["_QTY",       0],   # for -p:boards N boards
  ["value",      0],
  ["footprint",  0],
  ["partName",   0],
]

headerAlias = [
  ["reference", "References"],
  ["_REFCOUNT", "Qty per board"],
  ["_QTY",      "Qty"],
  ["value",     "Value"],
  ["footprint", "Footprint"],
  ["partName",  "Part"],
]

# By reference; a sort key named in sortByValue would order 100n before 1u.
sortKey = ["reference"]

# Symbols that are not parts of the board.
excludeType = ["power", "ground", "titleBlock", "block"]
