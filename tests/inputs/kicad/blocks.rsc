# Sheet blocks with their sheet names, beside the symbols.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
formatTable = [["componentType", 0], ["reference", 0], ["Sheetname", 0], ["Sheetfile", 0], ["_HID", 0], ["_HLEV", 0]]
