unitsPerUserUnit = 1
