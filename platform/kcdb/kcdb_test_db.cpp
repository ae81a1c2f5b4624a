#include "platform/kcdb/kcdb_test_db.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/support/sqlite_db.h"

namespace comptab {

// Read where it lies in the source tree, so that the tests build their
// databases from the one schema text the examples and the end-to-end
// cases use too.
const std::string kKcdbSchemaSql = [] {
  std::ifstream in(std::string(COMPTAB_SOURCE_ROOT) + "/platform/kcdb/kcdb_schema.sql");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}();

std::string ScratchDir::database(const std::string& name, const std::string& sql) const {
  std::string error;
  if (SqliteDb::createFromSql(file(name), sql, &error)) return file(name);
  ADD_FAILURE() << "building " << name << ": " << error;
  return "";
}

}  // namespace comptab
