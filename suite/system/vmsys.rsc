# The suite's variant system spec (docs/variants.md).

# Between a property's name and a destination's name in a variant
# property: "value@PRO" is "value" for the destination PRO.
separator = "@"

# The property that says whether a component is fitted on the board itself,
# and what a component without it is.
toBoardProperty = "fitted"
toBoardDefault = "YES"
