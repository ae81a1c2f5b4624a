# Run by the setup of a packaging case in its work folder: the data
# resource that names the KCDB, and the KCDB built from its SQL text. A
# case's own data/ files (vmdata.rsc) stay.
set -e
mkdir -p data
cp kcdb/data/kordata.rsc data/
cat kcdb/kcdb_schema.sql kcdb/kcdb.sql | sqlite3 kcdb.db
