// Reads a whole file into memory in one go, with room to spare after the
// end for parsers that read past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace comptab {

class FileHandle;

// A file's contents followed by at least the padding asked for. The buffer
// is not cleared before the read: a large file is written into once.
class FileBytes {
 public:
  std::string_view text() const { return {data_.get(), size_}; }
  // Lets go of the memory.
  void release() {
    data_.reset();
    size_ = 0;
  }

 private:
  friend bool readFileBytes(const FileHandle&, uint64_t, size_t, size_t, FileBytes&, std::string*, bool*);
  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
};

// False, with a one-line reason in `reason`, when the path is missing, a
// directory, FIFO, socket or device, cannot be read, or is larger than
// `maxBytes`; `tooLarge`, when given, tells the last apart from the rest.
bool readFileBytes(const std::string& path, size_t maxBytes, size_t padding, FileBytes& bytes, std::string* reason,
                   bool* tooLarge = nullptr);
// The same for a file that openInputFile opened and sized, read from where
// its offset stands.
bool readFileBytes(const FileHandle& file, uint64_t fileSize, size_t maxBytes, size_t padding, FileBytes& bytes,
                   std::string* reason, bool* tooLarge = nullptr);

}  // namespace comptab
