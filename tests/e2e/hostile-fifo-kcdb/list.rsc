separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["reference", 0], ["id", 0], ["componentName", 0], ["_GATENO", 0], ["_GCOUNT", 0], ["_HASPOWER", 0]]
