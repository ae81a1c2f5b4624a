separator = "|"
emptyCell = "~"
token = ","
endOfLineStyle = "lf"
formatTable = [["reference", 0], ["value", 0], ["_HLEV", 0], ["_HID", 0], ["sheetNumber", 0]]
