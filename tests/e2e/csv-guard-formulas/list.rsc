separator = "|"
emptyCell = "-"
token = ","
tableFormat = "csv"
guardFormulas = "YES"
sortKey = ["reference"]
formatTable = [["reference", 4], ["value", 5], ["description", 0]]
