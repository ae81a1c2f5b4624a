separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["_REFCOUNT", 0], ["partName", 0], ["value", 0], ["reference", 0], ["id", 0]]
