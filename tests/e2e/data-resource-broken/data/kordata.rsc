unitsPerUserUnit = 0
