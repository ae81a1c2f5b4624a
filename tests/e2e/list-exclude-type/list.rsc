separator = ","
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
excludeType = ["Gate", "parts", "power"]
formatTable = [["reference", 0], ["componentType", 0]]
