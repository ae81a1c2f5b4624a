separator = "|"
emptyCell = "~"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["reference", 0], ["_ZONE", 0]]
