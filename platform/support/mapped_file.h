// A file's bytes seen through the page cache rather than copied into the
// process: a reader that walks a large file front to back can let the pages
// behind it go, so that the file never sits in memory whole next to what is
// built from it.
#pragma once

#include <cstddef>
#include <string_view>

namespace comptab {

class FileHandle;

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // The bytes of the file, with no padding after the last one.
  std::string_view text() const { return {static_cast<const char*>(base_), size_}; }
  // Lets the whole pages before `offset` go from memory; reading them again
  // brings them back from the file.
  void forgetBefore(size_t offset);

 private:
  friend bool mapFile(const FileHandle&, size_t, MappedFile&);
  void* base_ = nullptr;
  size_t size_ = 0;
};

// Maps the first `size` bytes of an open regular file, read only. False
// when the system refuses: the caller reads the file another way.
bool mapFile(const FileHandle& file, size_t size, MappedFile& mapped);

}  // namespace comptab
