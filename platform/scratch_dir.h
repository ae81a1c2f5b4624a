// A fresh directory below the temporary area for a test's input files,
// removed with everything in it when the test ends. For tests only.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

  // Writes `bytes` to `name` (which may hold sub-directories, made as
  // needed) and returns the file's path.
  std::string file(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(path_) / name;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

 private:
  std::string path_;
};

}  // namespace comptab
