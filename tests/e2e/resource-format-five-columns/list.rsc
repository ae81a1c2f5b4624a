separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 8, "yes", "right", "x"]]
