# A bill of materials of a KiCad XML net list, as a CSV file: one line per
# value and footprint with its quantity and references. Made for KiCad's BOM
# dialog (docs/kicad.md):
#
#   comptab -p:resource /path/kicad-bom.rsc -output "%O.csv" -mode force "%I"
#
# docs/resource-file.md describes every key, docs/packaging.md the folding.

separator = ","
emptyCell = ""
token = " "        # references of one line: "R1 R2"
mergedProp = "*"   # a property whose values differ within one line
noAdjust = "YES"   # CSV: cells neither padded nor cut

package = "Value"            # one line per value, with its reference count,
packageAlso = ["Footprint"]  # and per footprint within a value

formatTable = [
  ["_REFCOUNT",  0, "no"],
  ["Value",      0, "yes"],
  ["Footprint",  0, "yes"],
  ["reference",  0, "yes"],
  ["dnp",        0, "no"],
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
