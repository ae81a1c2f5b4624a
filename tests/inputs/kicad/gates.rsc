# Packaging columns of a KiCad project: a part's units folded into one row.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
sortKey = ["reference"]
formatTable = [["reference", 0], ["Value", 0], ["cdbName", 0], ["componentName", 0], ["_GCOUNT", 0], ["_GATENO", 0]]
