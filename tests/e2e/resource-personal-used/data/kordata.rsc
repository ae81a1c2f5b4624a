unitsPerUserUnit = 1000
