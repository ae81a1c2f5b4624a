separator = ","
emptyCell = ""
token = " "
tableFormat = "tsv"
byteOrderMark = "YES"
formatTable = [["reference", 0], ["value", 0]]
