formatVersion = 1
unitsPerUserUnit = 10
