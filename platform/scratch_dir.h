// A fresh directory below the temporary area for a test's input files and
// databases, removed with everything in it when the test ends. For tests
// only.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

#include "platform/sqlite_db.h"

namespace comptab {

class ScratchDir {
 public:
  ScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/comptab-test-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Empty when the directory could not be made; tests assert on it first.
  const std::string& path() const { return path_; }
  // The path of `name` in the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Writes `bytes` to `name` (which may hold sub-directories, made as
  // needed) and returns the file's path.
  std::string file(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(path_) / name;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::string write(const std::string& name, const std::string& bytes) const { return file(name, bytes); }

  // Builds the database `name` from `sql`; returns its path, or an empty
  // text (after a test failure naming SQLite's reason) when the SQL fails.
  std::string database(const std::string& name, const std::string& sql) const {
    const std::string path = file(name);
    std::string error;
    if (!SqliteDb::createFromSql(path, sql, error)) {
      ADD_FAILURE() << "building " << name << ": " << error;
      return "";
    }
    return path;
  }

  // The names in the directory, sorted: to see that nothing was created.
  std::string listing() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) names.insert(entry.path().filename());
    std::string text;
    for (const std::string& name : names) text += name + "\n";
    return text;
  }

 private:
  std::string path_;
};

}  // namespace comptab
