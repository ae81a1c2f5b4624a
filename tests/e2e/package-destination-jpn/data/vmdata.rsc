destinations = ["LITE", "PRO"]
