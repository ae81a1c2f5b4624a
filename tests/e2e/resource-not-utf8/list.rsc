separator = "ÿ"
