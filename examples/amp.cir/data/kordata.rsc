# The data resource of the example circuit: the circuit's own data file
# (CIRCUIT/data/kordata.rsc), so the suite's default is not used.
formatVersion = 1

# Ten design units make a millimetre: a component at x = 2500 prints as
# positionX 250.000.
unitsPerUserUnit = 10
