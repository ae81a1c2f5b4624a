separator = "|"
emptyCell = "-"
token = ","
endOfLineStyle = "lf"
noAdjust = "YES"
sortKey = ["reference"]
formatTable = [["reference", 0], ["Value", 0], ["Footprint", 0], ["MPN", 0], ["Lieferant", 0], ["dnp", 0], ["in_bom", 0], ["on_board", 0], ["exclude_from_sim", 0], ["sheetPath", 0], ["_HLEV", 0], ["cdbName", 0], ["componentType", 0], ["id", 0], ["sheetNumber", 0], ["positionX", 0], ["positionY", 0], ["_ZONE", 0], ["_REFH", 0], ["_REFN", 0]]
