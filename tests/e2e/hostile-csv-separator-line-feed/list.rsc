separator = "|"
emptyCell = "-"
token = ","
tableFormat = "csv"
fieldSeparator = "\n"
formatTable = [["reference", 4], ["value", 5]]
