separator = ","
emptyCell = "-"
token = ","
formatTable = [["reference", 8], ["partName", 12]]
output = "$CIR/bom.txt"
