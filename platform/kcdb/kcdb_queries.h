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

  // False when the file cannot be opened as a KCDB; `reason` (nullable)
  // then says why, naming the file.
  bool open(const std::string& path, std::string* reason = nullptr);
  bool isOpen() const { return db_.isOpen(); }
  void close();

  // Each lookup gives nothing both when the row is missing and when it
  // cannot be read; only the second puts a reason in `reason` (nullable),
  // which is left alone otherwise.
  KcdbDevice device(std::string_view name, std::string* reason = nullptr);
  std::optional<Library> libraryOf(std::string_view deviceName, std::string* reason = nullptr);
  KcdbComponent component(int64_t libraryId, std::string_view deviceName, std::string_view componentName,
                          std::string* reason = nullptr);

  KcdbRequestCounts counts;

 private:
  // Names what is being looked up in the reasons of its failures.
  void startLookup(const char* kind, std::string_view name, std::string_view componentName = {});
  bool fail(std::string* reason, const std::string& what) const;
  bool failOpen(std::string* reason, const std::string& what);
  // Checks the schema of the open database and prepares the lookups.
  bool prepareLookups(std::string* reason);
  // Ends one use of a statement, so the next starts afresh; keeps `ok`
  // unless the statement cannot be reset.
  bool finish(SqliteStatement& statement, bool ok, std::string* reason);
  bool readText(SqliteStatement& statement, int column, const char* what, std::string& text, std::string* reason);
  bool readInt(SqliteStatement& statement, int column, int64_t low, int64_t high, const char* what, int64_t& value,
               std::string* reason);
  bool readGates(int64_t componentId, KcdbComponent::GateMap& gates, std::string* reason);

  std::string path_;
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
