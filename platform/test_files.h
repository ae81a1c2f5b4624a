// A scratch directory for a test's input files, written from text and
// removed with everything in it when the test ends. For tests only.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace comptab {

class TestFiles {
 public:
  TestFiles() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/comptab-files-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  ~TestFiles() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  TestFiles(const TestFiles&) = delete;
  TestFiles& operator=(const TestFiles&) = delete;

  // Empty when the directory could not be made; tests assert on it first.
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  // Writes `bytes` to `name` (below dir(); parent folders are made) and
  // gives its path.
  std::string write(const std::string& name, const std::string& bytes) const {
    const std::string where = path(name);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(where).parent_path(), ignored);
    std::ofstream(where, std::ios::binary) << bytes;
    return where;
  }

 private:
  std::string dir_;
};

}  // namespace comptab
