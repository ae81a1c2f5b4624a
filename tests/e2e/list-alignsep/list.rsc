separator = ";"
emptyCell = "-"
token = ","
quoteChar = "'"
endOfLineStyle = "lf"
sortKey = ["reference"]
fixedString = ["fixed", "two"]
formatTable = [
  ["reference", 6, "yes", "left"],
  ["value", 8, "no", "right"],
  ["%1", 5, "no", "left"],
  ["partName", 6, "no", "left"],
  ["symbolName", 3, "yes", "left"],
  ["%5", 4, "no", "left"],
]
headerAlias = [["partName", "Part"], ["value", "Value of it"]]
