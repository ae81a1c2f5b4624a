separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
formatTable = [["reference", 0], ["value", 0]]
