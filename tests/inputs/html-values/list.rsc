# One row per component, sorted by value as electrical values.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
sortKey = ["value"]
sortByValue = ["value"]
formatTable = [["reference", 0], ["partName", 0], ["value", 0], ["_ZONE", 0]]
