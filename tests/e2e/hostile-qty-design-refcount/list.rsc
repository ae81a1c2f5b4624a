separator = "|"
emptyCell = "-"
token = ","
sortKey = ["reference"]
formatTable = [["reference", 4], ["value", 5], ["_REFCOUNT", 6], ["_QTY", 6]]
