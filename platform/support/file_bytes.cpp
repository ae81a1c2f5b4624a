#include "platform/support/file_bytes.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/support/file_handle.h"
#include "platform/support/text.h"

namespace comptab {

namespace {

std::string tooLargeReason(size_t maxBytes, bool* tooLarge) {
  if (tooLarge) *tooLarge = true;
  return strprintf("the file is larger than %zu bytes", maxBytes);
}

}  // namespace

bool readFileBytes(const std::string& path, size_t maxBytes, size_t padding, FileBytes& bytes, std::string* reason,
                   bool* tooLarge) {
  FileHandle file;
  uint64_t fileSize = 0;
  if (!openInputFile(path, file, reason, &fileSize)) return false;
  return readFileBytes(file, fileSize, maxBytes, padding, bytes, reason, tooLarge);
}

bool readFileBytes(const FileHandle& file, uint64_t fileSize, size_t maxBytes, size_t padding, FileBytes& bytes,
                   std::string* reason, bool* tooLarge) {
  if (fileSize > maxBytes) {
    *reason = tooLargeReason(maxBytes, tooLarge);
    return false;
  }
  // Room for one byte more than fstat said, so that reading it tells us
  // whether the file has grown since.
  size_t capacity = static_cast<size_t>(fileSize) + 1;
  std::unique_ptr<char[]> data(new char[capacity + padding]);
  size_t size = 0;
  for (;;) {
    if (size == capacity) {
      if (size > maxBytes) {
        *reason = tooLargeReason(maxBytes, tooLarge);
        return false;
      }
      const size_t larger = capacity + capacity / 2 + 65536;
      std::unique_ptr<char[]> grown(new char[larger + padding]);
      std::memcpy(grown.get(), data.get(), size);
      data = std::move(grown);
      capacity = larger;
    }
    const ssize_t got = ::read(file.get(), data.get() + size, capacity - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *reason = "cannot read the file: " + systemReason(errno);
      return false;
    }
    if (got == 0) break;
    size += static_cast<size_t>(got);
  }
  if (size > maxBytes) {
    *reason = tooLargeReason(maxBytes, tooLarge);
    return false;
  }
  // The padding's bytes are never part of the text, but a parser may look
  // at them: give them a value.
  std::memset(data.get() + size, 0, capacity - size + padding);
  bytes.data_ = std::move(data);
  bytes.size_ = size;
  return true;
}

}  // namespace comptab
