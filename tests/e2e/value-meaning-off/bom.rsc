separator = ","
emptyCell = ""
token = " "
mergedProp = "*"
tableFormat = "csv"
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [["_REFCOUNT", 0], ["value", 0], ["reference", 0]]
