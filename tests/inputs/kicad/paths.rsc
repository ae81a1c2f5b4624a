# Where each symbol of a KiCad project lies in the hierarchy.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
formatTable = [["reference", 0], ["Value", 0], ["componentType", 0], ["Sheetname", 0], ["sheetPath", 0], ["sheetNumber", 0], ["sheetId", 0], ["_HID", 0], ["_HLEV", 0]]
