# A KiCad project's design semantics: what each variant (a destination)
# changes, sheet flags, text variables, a lib_name copy's component.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
excludeType = ["power", "ground"]
sortKey = ["reference", "_GATENO"]
formatTable = [["_DEST", 0], ["reference", 0], ["Value", 0], ["partName", 0], ["dnp", 0], ["in_bom", 0], ["componentName", 0], ["MPN", 0], ["Note", 0], ["Where", 0], ["sheetPath", 0]]
