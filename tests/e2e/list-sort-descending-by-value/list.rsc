separator = ","
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference", "value"]
sortByValue = ["value"]
sortDescending = ["value"]
formatTable = [["value", 0], ["reference", 0]]
