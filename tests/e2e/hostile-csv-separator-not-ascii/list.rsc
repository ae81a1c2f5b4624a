separator = "|"
emptyCell = "-"
token = ","
tableFormat = "csv"
fieldSeparator = "§"
formatTable = [["reference", 4], ["value", 5]]
