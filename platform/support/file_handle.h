// Opening files whose kind is not known in advance. A FIFO, a device or a
// directory where a file was expected must give a reason, not block the run
// in open() or read(); a symlink planted where we write must not send the
// bytes elsewhere.
#pragma once

#include <cstdint>
#include <string>

namespace comptab {

// An open file descriptor, closed when the handle goes.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() { reset(); }
  FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  int get() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  // Hands the descriptor over (to fdopen); the handle no longer closes it.
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Opens an existing regular file for reading, without following a symlink
// in its last component when `followLinks` is false. False, with a one-line
// reason in `reason`, when it is missing, cannot be opened, or is a
// directory, FIFO, socket or device. `size` gets the size fstat reports.
bool openInputFile(const std::string& path, FileHandle& file, std::string* reason, uint64_t* size = nullptr,
                   bool followLinks = true);

// Opens `path` for writing, creating it with mode 0666 less the umask,
// truncating it, or appending when `append`. A symlink in the last
// component is refused unless `followLinks`; an existing FIFO, device or
// directory is refused always, before anything is written or truncated.
bool openOutputFile(const std::string& path, bool append, bool followLinks, FileHandle& file, std::string* reason);

// True when `path` names (through any link or second name: device and
// inode are compared) a file that openInputFile has opened in this process.
// An output must never overwrite the design or a file the table came from.
bool isInputFile(const std::string& path);

// What the system says of an errno value.
std::string systemReason(int code);

}  // namespace comptab
