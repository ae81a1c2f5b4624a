separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["reference", 0], ["_DEST", 0], ["id", 0], ["componentName", 0], ["_GATENO", 0], ["speed", 0]]
