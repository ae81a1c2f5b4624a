# The flags and types a KiCad symbol gives, beside its reference.
separator = ","
emptyCell = "-"
token = " "
endOfLineStyle = "lf"
formatTable = [["reference", 0], ["partName", 0], ["Value", 0], ["componentType", 0], ["dnp", 0], ["in_bom", 0], ["on_board", 0], ["exclude_from_sim", 0], ["Description", 0], ["_GCOUNT", 0], ["_GATENO", 0], ["_ZONE", 0]]
