separator = "|"
emptyCell = "~"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["reference", 0], ["value", 0], ["partName", 0]]
