separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 8], ["partName", 12]]
