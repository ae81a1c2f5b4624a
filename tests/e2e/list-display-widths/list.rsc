separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["reference", 4, "no", "left"], ["value", 8, "no", "right"], ["description", 10, "YES", "left"], ["partName", 5, "no", "left"]]
