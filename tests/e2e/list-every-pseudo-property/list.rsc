separator = "|"
emptyCell = "~"
token = ","
endOfLineStyle = "lf"
sortKey = ["reference"]
formatTable = [
  ["reference", 0], ["value", 0], ["_HLEV", 0], ["_HID", 0], ["id", 0], ["sheetId", 0], ["sheetNumber", 0],
  ["_TOBOARD", 0], ["bitCount", 0], ["componentKind", 0], ["componentType", 0], ["symbolName", 0],
  ["pathNumber", 0], ["_DEST", 0], ["_REFH", 0], ["_REFN", 0], ["positionX", 0], ["positionY", 0],
  ["_ZONE", 0], ["angle", 0], ["scale", 0], ["color", 0], ["mirror", 0], ["dispContents", 0], ["isvGate", 0],
]
