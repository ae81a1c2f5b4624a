separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
noAdjust = "YES"
sortKey = ["reference"]
formatTable = [["reference", 0], ["value", 0]]
