# Every column the mapping gives a symbol.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
formatTable = [["reference", 0], ["Value", 0], ["partName", 0], ["cdbName", 0], ["componentName", 0], ["componentType", 0], ["dnp", 0], ["in_bom", 0], ["MPN", 0], ["sheetPath", 0], ["sheetNumber", 0], ["_HID", 0], ["_ZONE", 0], ["positionX", 0], ["positionY", 0], ["angle", 0], ["mirror", 0], ["_GCOUNT", 0], ["_GATENO", 0]]
