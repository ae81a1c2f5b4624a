unitsPerUserUnit = 100
