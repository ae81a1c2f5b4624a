separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
noAdjust = "YES"
sortKey = ["reference"]
formatTable = [["reference", 0], ["Value", 0], ["Footprint", 0], ["Datasheet", 0], ["Hersteller", 0], ["MPN", 0], ["Toleranz", 0], ["sheetPath", 0], ["_HLEV", 0], ["Sheetname", 0], ["cdbName", 0], ["componentName", 0], ["partName", 0], ["componentType", 0], ["dnp", 0], ["in_bom", 0], ["on_board", 0]]
