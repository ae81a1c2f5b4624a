separator = "|"
emptyCell = "-"
token = ","
package = "value"
referenceRanges = "YES"
rangeChar = ","
formatTable = [["reference", 12], ["value", 5]]
