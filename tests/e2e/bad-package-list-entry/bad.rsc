separator = ","
emptyCell = ""
token = " "
formatTable = [["reference", 0]]
package = [1]
