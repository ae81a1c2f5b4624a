# A bill of materials of a KiCad project (docs/kicad.md): supply symbols left out.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
sortKey = ["reference"]
formatTable = [["reference", 0], ["partName", 0], ["Footprint", 0], ["componentType", 0], ["_GCOUNT", 0], ["_GATENO", 0], ["sheetPath", 0], ["_ZONE", 0]]
