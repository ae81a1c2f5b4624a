// The layout of an instance database (docs/circuit.md gives the tables).
#pragma once

#include <string>

namespace comptab {

class SqliteDb;

// Creates the tables in an empty database and stamps it with the schema
// version and the application id.
extern const char* const kInstanceSchemaSql;

// True when the open database is an instance database of this schema
// version; else false with a one-line reason.
bool checkInstanceSchema(SqliteDb& db, std::string* reason);

}  // namespace comptab
