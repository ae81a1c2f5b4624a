# A bill of materials of a KiCad XML net list, as a CSV file: one line per
# value and footprint with its quantity and references. Made for KiCad's BOM
# dialog (docs/kicad.md):
#
#   comptab -p:resource /path/kicad-bom.rsc -output "%O.csv" -mode force "%I"
#
# docs/resource-file.md describes every key, docs/packaging.md the folding.

tableFormat = "csv" # cells quoted where they need it, no texts around the table
separator = ","
emptyCell = ""
token = " "        # references of one line: "R1 R2"
mergedProp = "*"   # a property whose values differ within one line

package = ["Value", "Footprint"]  # one line per value and footprint, with its reference count

formatTable = [
  ["_REFCOUNT",  0],
  ["Value",      0],
  ["Footprint",  0],
  ["reference",  0],
  ["dnp",        0],
]

headerAlias = [
  ["_REFCOUNT", "Qty"],
  ["reference", "References"],
  ["dnp", "DNP"],
]

sortKey = ["reference"]

# Power symbols ("#PWR1") are no parts of the board.
excludeType = ["power"]

endOfLineStyle = "lf"
