# The data resource of the packaging cases: the KCDB that kcdb/build.sh
# builds in the case's work folder.
unitsPerUserUnit = 100
kcdb = "../kcdb.db"
