# A hundred design units to the user unit.
formatVersion = 1
unitsPerUserUnit = 100
