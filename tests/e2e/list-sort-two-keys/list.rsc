separator = ","
emptyCell = ""
token = ","
endOfLineStyle = "lf"
sortKey = ["reference", "partName"]
formatTable = [["partName", 10], ["reference", 5], ["value", 0]]
