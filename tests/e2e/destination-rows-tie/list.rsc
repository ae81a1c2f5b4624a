separator = ","
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["dispContents"]
formatTable = [["reference", 0], ["value", 0], ["dispContents", 0], ["_DEST", 0]]
