separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["_REFCOUNT", 0], ["value", 0], ["reference", 0], ["description", 0]]
