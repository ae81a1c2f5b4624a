separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 4294967304]]
