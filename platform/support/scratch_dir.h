// A fresh directory below the temporary area for a test's input files and
// databases, removed with everything in it when the test ends. The only such
// helper in the test binary: classes of one name defined twice break the
// one-definition rule, and the linker may then pick either's members.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

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
  // Where `name` is or would be; nothing is written.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` as `name` (which may hold sub-directories, made as
  // needed) and returns its path.
  std::string file(const std::string& name, const std::string& bytes) const {
    const std::string where = file(name);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(where).parent_path(), ignored);
    std::ofstream(where, std::ios::binary) << bytes;
    return where;
  }
  std::string write(const std::string& name, const std::string& bytes) const { return file(name, bytes); }
  // Builds the SQLite database `name` from `sql`; returns its path, or an
  // empty text (after a test failure naming SQLite's reason) when it fails.
  // Defined beside the KCDB schema, which keeps SQLite out of this header.
  std::string database(const std::string& name, const std::string& sql) const;
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
