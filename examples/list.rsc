# A first resource file: one line per component of the sheet, with its
# reference, part, component name, position and zone, sorted by reference.
#
#   comptab -p:resource examples/list.rsc -output list.txt <sheet>.sht
#
# docs/resource-file.md describes every key.

separator = ","   # between the cells of a line
emptyCell = "-"   # in place of a property a component does not have
token = ","       # joins the values of rows folded into one

# property, width, quoted, alignment. A width counts the separator after the
# cell; positions are right-aligned so that their decimal points line up.
formatTable = [
  ["reference",    10, "no", "left"],
  ["partName",     17, "no", "left"],
  ["componentName", 17, "no", "left"],
  ["positionX",    11, "no", "right"],
  ["positionY",    11, "no", "right"],
  ["_ZONE",         6, "no", "left"],
]

headerAlias = [
  ["_ZONE", "zone"],
]

sortKey = ["reference"]

# Symbols that are not parts of the board.
excludeType = ["power", "ground", "titleBlock"]

# Lines end in LF, as text files do here (the default is CR LF).
endOfLineStyle = "lf"
