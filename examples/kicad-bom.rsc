# A bill of materials of a KiCad design, as a CSV file: one line per value,
# footprint and DNP mark, with its quantity and references. Made for KiCad's
# BOM dialog, which hands comptab an XML net list (docs/kicad.md):
#
#   comptab -p:resource /path/kicad-bom.rsc -output "%O.csv" -mode force "%I"
#
# and as good on a project or schematic from the shell:
#
#   comptab -p:resource examples/kicad-bom.rsc board.kicad_pro
#
# Left out: power and ground symbols, and parts marked "exclude from BOM".
# Parts marked "do not populate" get lines of their own, with DNP YES.
# docs/resource-file.md describes every key, docs/packaging.md the folding.

tableFormat = "csv" # cells quoted where they need it, no texts around the table
separator = ","
emptyCell = ""
token = " "        # references of one line: "R1 R2"
mergedProp = "*"   # a property whose values differ within one line

# One line per value and footprint; a DNP part never shares a line with
# fitted ones.
package = ["Value", "Footprint", "dnp"]

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

# Power and ground symbols ("#PWR1", GND) are no parts of the board.
excludeType = ["power", "ground"]

# Parts marked "exclude from BOM" have in_bom NO. useTermTable applies the
# terms on every run, without -mode search.
termTable = [["in_bom", "^YES$"]]
searchMode = "a"
useTermTable = "YES"

endOfLineStyle = "lf"
