# The example board's variant data: the builds of the board that a
# component can differ in (docs/variants.md). A property named
# "<name>@LITE" or "<name>@PRO" gives the value for that build.
destinations = ["LITE", "PRO"]
