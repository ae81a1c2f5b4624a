separator = ","
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["_DEST", "reference"]
excludeType = ["power", "block", "connector"]
formatTable = [["reference", 0], ["value", 0], ["_DEST", 0], ["_TOBOARD", 0]]
