separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 0], ["_QTY", 0], ["value", 0]]
sortKey = ["reference"]
excludeType = ["power", "ground", "titleBlock"]
endOfLineStyle = "lf"
