# A bill of materials of a KiCad project or schematic (docs/kicad.md), for
# the shell:
#
#   comptab -p:resource examples/kicad-project-bom.rsc board.kicad_pro
#
# One line per value, footprint and DNP mark, with its quantity and its
# references as ranges ("R1-R4"); the units of one part count once.
# Left out: power and ground symbols, and parts marked "exclude from BOM".
# Parts marked "do not populate" get lines of their own, with DNP YES.
tableFormat = "csv"   # cells quoted where they hold a comma ("4,7K"), no texts around the table
separator = ","
emptyCell = ""
token = " "
mergedProp = "*"
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
termTable = [["in_bom", "^YES$"]]
searchMode = "a"
useTermTable = "YES"
package = ["Value", "Footprint", "dnp"]
referenceRanges = "YES"   # R1 R2 R3 R4 written R1-R4
sortKey = ["reference"]
formatTable = [["_REFCOUNT", 0], ["Value", 0], ["Footprint", 0], ["reference", 0], ["dnp", 0]]
headerAlias = [["_REFCOUNT", "Qty"], ["reference", "References"], ["dnp", "DNP"]]
