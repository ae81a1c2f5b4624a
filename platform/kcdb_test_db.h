// Test support: KCDB files built from SQL text in a scratch directory, so no
// test depends on a binary fixture.
#pragma once

#include <string>

namespace comptab {

// The current schema, with its version; tests append their rows.
extern const char* const kKcdbSchemaSql;

// A fresh directory below the temporary area, removed with what it holds.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` as the file `name`; returns its path.
  std::string write(const std::string& name, const std::string& bytes) const;
  // Builds the database `name` from `sql`; returns its path, or an empty
  // text (after a test failure naming SQLite's reason) when the SQL fails.
  std::string database(const std::string& name, const std::string& sql) const;
  // The names in the directory, sorted: to see that nothing was created.
  std::string listing() const;

 private:
  std::string path_;
};

}  // namespace comptab
