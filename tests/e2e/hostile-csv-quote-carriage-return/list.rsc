separator = "|"
emptyCell = "-"
token = ","
quoteChar = "\r"
formatTable = [["reference", 4], ["value", 5]]
