# The data resource of the example design in examples/: found first, as the
# design's own data file (DESIGN/data/kordata.rsc), so the suite's default is
# not used and no warning is written.
formatVersion = 1

# A thousand internal units make a millimetre: a component at x = 25400
# prints as positionX 25.400.
unitsPerUserUnit = 10

# The example has no component library database of its own. A design that
# has one names it here, relative to this file or through $CIR (the design's
# directory), e.g.:
# kcdb = "$CIR/library/kcdb.db"
