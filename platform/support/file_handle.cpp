#include "platform/support/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>
#include <tuple>
#include <utility>

namespace comptab {

namespace {

// The files the run has read, by device and inode, and the time their inode
// last changed: an inode freed by a file deleted since (a scratch file) and
// given to a new one is then not taken for the file that was read. One
// thread reads them.
using FileIdentity = std::tuple<dev_t, ino_t, time_t, long>;

FileIdentity identity(const struct stat& info) {
  return {info.st_dev, info.st_ino, info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
}

std::set<FileIdentity>& inputFiles() {
  static std::set<FileIdentity> files;
  return files;
}

const char* kindReason(mode_t mode) {
  if (S_ISDIR(mode)) return "this is a directory, not a file";
  if (S_ISFIFO(mode)) return "this is a FIFO (named pipe), not a regular file";
  if (S_ISSOCK(mode)) return "this is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "this is a device, not a regular file";
  return "this is not a regular file";
}

std::string openReason(int code, bool followLinks) {
  if (code == ENOENT) return "the file does not exist";
  // O_NOFOLLOW on a symlink fails with ELOOP, whose text ("too many levels
  // of symbolic links") would mislead.
  if (code == ELOOP && !followLinks) return "this is a symbolic link, which is not followed here; remove it";
  return "cannot open the file: " + systemReason(code);
}

// Open with O_NONBLOCK so that a FIFO cannot hold us in open(), check the
// kind, then drop O_NONBLOCK again for ordinary blocking reads and writes.
bool checkRegular(FileHandle& file, std::string* reason, uint64_t* size, bool reading) {
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    *reason = "cannot examine the file: " + systemReason(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *reason = kindReason(info.st_mode);
    return false;
  }
  // An input keeps O_NONBLOCK, which a regular file ignores: a kernel file
  // that only looks regular (/proc/kmsg) then fails to read instead of
  // waiting forever. An output is written blocking.
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (!reading && (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)) {
    *reason = "cannot set up the file: " + systemReason(errno);
    return false;
  }
  if (size) *size = static_cast<uint64_t>(info.st_size);
  if (reading) inputFiles().insert(identity(info));
  return true;
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int FileHandle::release() { return std::exchange(fd_, -1); }

void FileHandle::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool isInputFile(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;
  return inputFiles().count(identity(info)) > 0;
}

std::string systemReason(int code) { return std::generic_category().message(code); }

bool openInputFile(const std::string& path, FileHandle& file, std::string* reason, uint64_t* size, bool followLinks) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
  file.reset(::open(path.c_str(), flags));
  if (!file.isOpen()) {
    *reason = openReason(errno, followLinks);
    return false;
  }
  if (checkRegular(file, reason, size, true)) return true;
  file.reset();
  return false;
}

bool openOutputFile(const std::string& path, bool append, bool followLinks, FileHandle& file, std::string* reason) {
  // No O_TRUNC here: the kind is checked first, and only a regular file is
  // cut short.
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : 0) | (followLinks ? 0 : O_NOFOLLOW);
  file.reset(::open(path.c_str(), flags, 0666));
  if (!file.isOpen()) {
    const int code = errno;
    *reason = code == ENOENT ? "the folder does not exist" : openReason(code, followLinks);
    if (code == ENXIO) *reason = "this is a FIFO (named pipe) that nobody reads, not a regular file";
    return false;
  }
  if (!checkRegular(file, reason, nullptr, false)) {
    file.reset();
    return false;
  }
  if (!append && ::ftruncate(file.get(), 0) != 0) {
    *reason = "cannot empty the file: " + systemReason(errno);
    file.reset();
    return false;
  }
  return true;
}

}  // namespace comptab
