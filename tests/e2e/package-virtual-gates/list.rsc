separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["reference", 0], ["id", 0], ["componentName", 0], ["_GATENO", 0], ["isvGate", 0]]
