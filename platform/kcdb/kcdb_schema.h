// What a KCDB file must be before any lookup is tried: its schema version,
// and every table and column that the lookups read, declared with the
// storage class they expect. Checked once when the database is opened, so
// a file of some other layout is refused with a reason instead of failing
// one lookup at a time.
#pragma once

#include <string>

namespace comptab {

class SqliteDb;

// Stored as the database's user_version. Raised whenever a table or a
// column changes meaning; files of any other version are refused.
constexpr int kKcdbSchemaVersion = 1;

// True when the open database has the KCDB layout; else false with a
// one-line reason.
bool checkKcdbSchema(SqliteDb& db, std::string* reason);

}  // namespace comptab
