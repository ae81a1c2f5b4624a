separator = "|"
emptyCell = "-"
token = ","
quoteChar = ";"
tableFormat = "csv"
fieldSeparator = ";"
formatTable = [["reference", 4], ["value", 5]]
