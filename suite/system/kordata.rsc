# The suite-wide data resource: used for a design that has no data resource
# of its own (neither DESIGN/data/kordata.rsc nor DESIGN/kordata.rsc).
#
# Design coordinates are integers in internal units; a thousand of them make
# a millimetre, the user unit, so positions print as millimetres with three
# decimals (12345 -> 12.345).
formatVersion = 1
unitsPerUserUnit = 1000

# Where the component library database (KCDB) lives. A relative path is taken
# from this file's directory; "$CIR" stands for the design's directory and
# $NAME for an environment variable. No KCDB is shipped, so none is named:
# the packaging modes then warn that the KCDB cannot be opened.
# kcdb = "../library/kcdb.db"
