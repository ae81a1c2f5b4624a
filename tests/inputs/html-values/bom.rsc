# One line per part name, the references folded.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
sortKey = ["partName"]
formatTable = [["reference", 0], ["partName", 0], ["_REFCOUNT", 0]]
headerAlias = [["_REFCOUNT", "qty"]]
