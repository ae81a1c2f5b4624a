separator = ","
emptyCell = "-"
token = " "
formatTable = [["reference", 0]]
