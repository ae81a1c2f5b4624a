separator = "|"
emptyCell = "~"
token = ","
endOfLineStyle = "lf"
formatTable = [["reference", 0], ["value", 12], ["_HID", 0]]
