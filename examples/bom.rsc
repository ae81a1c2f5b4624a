# A bill of materials: one line per part name with its quantity and its
# references. The gates of a part (and its power box) count once, as the
# KCDB (examples/kcdb.sql) tells what each symbol is.
#
#   comptab -p:resource examples/bom.rsc -output bom.txt <sheet>.sht
#
# docs/resource-file.md describes every key, docs/packaging.md the folding.

separator = ","
emptyCell = "-"
token = " "        # references of one line: "R1 R2"
mergedProp = "*"   # a property whose values differ within one line

partNamePackage = "YES"  # as -mode pnpackage: gates packaged, then one row per part name
checkOpenGate = "YES"    # warn about parts with gates left unused

formatTable = [
  ["_REFCOUNT",   5, "no", "right"],
  ["partName",   15, "no", "left"],
  ["value",       8, "no", "left"],
  ["reference",  24, "no", "left"],
]

headerAlias = [
  ["_REFCOUNT", "qty"],
]

sortKey = ["reference"]

# Symbols that are not parts of the board.
excludeType = ["power", "ground", "titleBlock", "block"]

endOfLineStyle = "lf"
