separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 8]]
