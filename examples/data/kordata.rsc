# The data resource of the example design in examples/: found first, as the
# design's own data file (DESIGN/data/kordata.rsc), so the suite's default is
# not used and no warning is written.
formatVersion = 1

# Ten internal units make a millimetre: a component at x = 800 prints as
# positionX 80.000.
unitsPerUserUnit = 10

# The component library database of the packaging modes, relative to this
# file: examples/kcdb.db, built from examples/kcdb.sql (scripts/example
# builds it when it is missing). "$CIR/kcdb.db" would name the same file.
kcdb = "../kcdb.db"
