separator = ","
emptyCell = ""
token = " "
tableFormat = "csv"
formatTable = [["reference", 0], ["value", 0]]
