#include "platform/support/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>
#include <system_error>

#include "platform/support/path.h"

namespace comptab {

namespace {

// A name another run or an old crash left behind is passed over.
constexpr int kNameTries = 100;

std::string errnoText(int code) { return std::generic_category().message(code); }

bool syncPath(const std::string& path, int flags, std::string& error) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) {
    error = path + ": cannot open to sync: " + errnoText(errno);
    return false;
  }
  const bool synced = ::fsync(fd) == 0;
  const int code = errno;
  const bool closed = ::close(fd) == 0;
  if (!synced || !closed) {
    error = path + ": cannot sync: " + errnoText(synced ? errno : code);
    return false;
  }
  return true;
}

}  // namespace

FileReplacement::~FileReplacement() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool FileReplacement::begin(const std::string& target) {
  target_ = target;
  error_.clear();
  const std::string stem = target + ".tmp." + std::to_string(::getpid()) + ".";
  for (int n = 0; n < kNameTries; ++n) {
    const std::string name = stem + std::to_string(n);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temp_ = name;
      if (::close(fd) != 0) {
        error_ = name + ": cannot close: " + errnoText(errno);
        return false;
      }
      return true;
    }
    if (errno != EEXIST) {
      error_ = name + ": cannot create: " + errnoText(errno);
      return false;
    }
  }
  error_ = stem + "*: no free name for a temporary file";
  return false;
}

void FileReplacement::removeLeftovers(const std::string& target) {
  const std::string dir = directoryPart(target);
  const std::string prefix = baseName(target) + ".tmp.";
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  const std::unique_ptr<DIR, DirCloser> listing(::opendir(dir.empty() ? "." : dir.c_str()));
  if (!listing) return;
  // "<process>.<n>": digits, one dot, digits.
  const auto isLeftover = [&prefix](std::string_view name) {
    if (name.substr(0, prefix.size()) != prefix) return false;
    const std::string_view tail = name.substr(prefix.size());
    const size_t dot = tail.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot + 1 == tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
      if (i != dot && (tail[i] < '0' || tail[i] > '9')) return false;
    return true;
  };
  while (const dirent* entry = ::readdir(listing.get()))
    if (isLeftover(entry->d_name)) ::unlink(joinPath(dir, entry->d_name).c_str());
}

bool FileReplacement::commit() {
  if (temp_.empty()) {
    error_ = target_ + ": nothing to put in place";
    return false;
  }
  if (!syncPath(temp_, O_RDONLY, error_)) return false;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    error_ = target_ + ": cannot put the new file in place: " + errnoText(errno);
    return false;
  }
  temp_.clear();
  return syncPath(directoryPart(target_), O_RDONLY | O_DIRECTORY, error_);
}

}  // namespace comptab
