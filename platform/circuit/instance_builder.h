// Filling a new instance database from a net list. Internal to the instance
// database; callers use InstanceDb::create.
#pragma once

#include <cstdint>
#include <string>

#include "platform/circuit/circuit_hierarchy.h"

namespace comptab {

class NetList;
class SheetCache;
class SqliteDb;

// Creates the tables in the empty database `db` and writes the hierarchy,
// in one transaction. Each sheet file inside a block is read once (through
// `cache` when given) to learn its components. False, with a one-line
// reason, when a sheet file cannot be read, the instances hold more than
// kMaxInstanceComponents components, or the database refuses a write.
bool buildInstanceDb(SqliteDb& db, const NetList& netList, std::string* reason, SheetCache* cache = nullptr);

}  // namespace comptab
