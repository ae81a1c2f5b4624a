// A large file read once, front to back, into memory of its own whose front
// can be let go as the reader passes it: the file never sits in memory
// whole next to what is built from it. The bytes are a private copy rather
// than a mapping of the file, so another program cutting the file short
// while it is read gives a failed read instead of a fault on touching a
// page that is gone.
#pragma once

#include <cstddef>
#include <string_view>

namespace comptab {

class FileHandle;

class LoadedFile {
 public:
  LoadedFile() = default;
  ~LoadedFile();
  LoadedFile(const LoadedFile&) = delete;
  LoadedFile& operator=(const LoadedFile&) = delete;

  // The bytes of the file, followed by `padding` zero bytes not counted.
  std::string_view text() const { return {static_cast<const char*>(base_), size_}; }
  // Lets the whole pages before `offset` go: they read as zeros afterwards.
  void forgetBefore(size_t offset);

 private:
  friend bool loadFile(const FileHandle&, size_t, size_t, LoadedFile&);
  void* base_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;
};

// Reads the first `size` bytes of an open regular file from its start,
// without moving the file's offset, and adds `padding` zero bytes. False
// when memory is refused or the file holds fewer bytes than `size` by now:
// the caller reads the file another way, which words the fault.
bool loadFile(const FileHandle& file, size_t size, size_t padding, LoadedFile& loaded);

}  // namespace comptab
