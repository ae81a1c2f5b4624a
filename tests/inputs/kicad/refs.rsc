# The references of a KiCad project, one a line, supply symbols left out.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
formatTable = [["reference", 0]]
noHeader = "YES"
