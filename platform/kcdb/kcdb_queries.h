// The KCDB's connection and its prepared lookups, shared by KcdbAccess and
// the readers it hands out. Internal to platform/: callers use kcdb.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kcdb/kcdb.h"
#include "platform/support/sqlite_db.h"

namespace comptab {

class KcdbQueries {
 public:
  struct Library {
    int64_t id = 0;
    std::string name;
    bool present = false;
  };

  KcdbQueries();
  ~KcdbQueries();

  bool open(const std::string& path);
  bool isOpen() const { return db_.isOpen(); }
  void close();

  // Each lookup gives nothing both when the row is missing and when it
  // cannot be read; only the second sets error(), which each lookup and
  // each opening empties first.
  KcdbDevice device(std::string_view name);
  std::optional<Library> libraryOf(std::string_view deviceName);
  KcdbComponent component(int64_t libraryId, std::string_view deviceName, std::string_view componentName);

  const std::string& error() const { return error_; }
  KcdbRequestCounts counts;

 private:
  // Names what is being looked up in the reasons of its failures.
  void startLookup(const char* kind, std::string_view name, std::string_view componentName = {});
  bool fail(const std::string& what);
  bool failOpen(const std::string& reason);
  // Ends one use of a statement, so the next starts afresh; keeps `ok`
  // unless the statement cannot be reset.
  bool finish(SqliteStatement& statement, bool ok);
  bool readText(SqliteStatement& statement, int column, const char* what, std::string& text);
  bool readInt(SqliteStatement& statement, int column, int64_t low, int64_t high, const char* what, int64_t& value);
  bool readGates(int64_t componentId, KcdbComponent::GateMap& gates);

  std::string path_;
  std::string error_;
  std::string lookup_;
  // Declared before the statements, so the statements are finalised first.
  SqliteDb db_;
  std::unique_ptr<SqliteStatement> device_;
  std::unique_ptr<SqliteStatement> deviceProps_;
  std::unique_ptr<SqliteStatement> deviceLibrary_;
  std::unique_ptr<SqliteStatement> component_;
  std::unique_ptr<SqliteStatement> pinGates_;
};

}  // namespace comptab
