separator = ","
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
excludeType = ["power", "block", "connector", "gate"]
formatTable = [["reference", 0], ["value", 0], ["componentKind", 0]]
