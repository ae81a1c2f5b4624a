# The columns that show where a circuit component stands. No sort keys, so
# the rows come in the order the walk reaches them.
separator = "|"
emptyCell = "~"
token = ","
endOfLineStyle = "lf"
formatTable = [
  ["reference", 0], ["value", 0], ["componentType", 0], ["_HLEV", 0], ["_HID", 0], ["id", 0], ["sheetId", 0],
  ["sheetNumber", 0],
]
