#include "platform/support/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/support/text.h"

namespace comptab {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string errnoText(int code) { return std::generic_category().message(code); }

std::string tooLarge(size_t maxBytes) { return strprintf("the file is larger than %zu bytes", maxBytes); }

}  // namespace

bool readFileBytes(const std::string& path, size_t maxBytes, size_t padding, FileBytes& bytes, std::string* reason) {
  // O_NONBLOCK keeps a FIFO from hanging us in open(); regular files ignore it.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    const int code = errno;
    *reason = code == ENOENT ? "the file does not exist" : "cannot open the file: " + errnoText(code);
    return false;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    *reason = "cannot examine the file: " + errnoText(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    *reason = "this is a directory, not a file";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *reason = "this is not a regular file";
    return false;
  }
  if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
    *reason = tooLarge(maxBytes);
    return false;
  }
  // Room for one byte more than fstat said, so that reading it tells us
  // whether the file has grown since.
  size_t capacity = static_cast<size_t>(info.st_size) + 1;
  std::unique_ptr<char[]> data(new char[capacity + padding]);
  size_t size = 0;
  for (;;) {
    if (size == capacity) {
      if (size > maxBytes) {
        *reason = tooLarge(maxBytes);
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
      *reason = "cannot read the file: " + errnoText(errno);
      return false;
    }
    if (got == 0) break;
    size += static_cast<size_t>(got);
  }
  if (size > maxBytes) {
    *reason = tooLarge(maxBytes);
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
