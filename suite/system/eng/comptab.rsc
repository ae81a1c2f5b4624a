# The suite's resource file for comptab, read when the command line names
# none and the user has no $HOME/halden/dx/comptab.rsc of their own.
#
# It writes a parts list: one line per component with its reference, part
# name, component name, sheet and zone, comma-separated with the text cells
# quoted, so that the output both reads as a table and loads into a
# spreadsheet. docs/resource-file.md describes every key.

separator = ","
emptyCell = ""
token = ";"        # folded rows list their references as R1;R2;R3
quoteChar = '"'

formatTable = [
  # property        width  quoted  alignment
  ["reference",       12,  "yes",  "left"],
  ["partName",        24,  "yes",  "left"],
  ["componentName",   24,  "yes",  "left"],
  ["sheetNumber",      7,  "no",   "right"],
  ["_ZONE",            6,  "no",   "left"],
]

headerAlias = [
  ["reference",     "Reference"],
  ["partName",      "Part"],
  ["componentName", "Component"],
  ["sheetNumber",   "Sheet"],
  ["_ZONE",         "Zone"],
]

# The last key is the most significant: by part name, then by reference.
sortKey = ["reference", "partName"]

# Values that differ between folded rows (other than the references) show
# as this text instead of all of them.
mergedProp = "*"

endOfLineStyle = "crlf"
