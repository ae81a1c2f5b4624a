# A bill of materials of a KiCad project (docs/kicad.md): supply symbols left out.
tableFormat = "csv"   # cells quoted where they hold a comma ("4,7K"), no texts around the table
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
sortKey = ["reference"]
formatTable = [["reference", 0], ["partName", 0], ["Footprint", 0], ["componentType", 0], ["_GCOUNT", 0], ["_GATENO", 0], ["sheetPath", 0], ["_ZONE", 0]]
