separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 8]]
tableFormat = "xlsx"
