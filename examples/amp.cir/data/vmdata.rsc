# The example circuit's builds (docs/variants.md). A property named
# "<name>@LITE" or "<name>@PRO" gives the value for that build.
destinations = ["LITE", "PRO"]
