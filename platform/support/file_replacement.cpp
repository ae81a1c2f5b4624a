#include "platform/support/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <charconv>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/support/path.h"

namespace comptab {

namespace {

// A name another run or an old crash left behind is passed over.
constexpr int kNameTries = 100;

std::string errnoText(int code) { return std::generic_category().message(code); }

bool fail(std::string* reason, std::string text) {
  if (reason != nullptr) *reason = std::move(text);
  return false;
}

bool syncPath(const std::string& path, int flags, std::string* reason) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return fail(reason, path + ": cannot open to sync: " + errnoText(errno));
  const bool synced = ::fsync(fd) == 0;
  const int code = errno;
  const bool closed = ::close(fd) == 0;
  if (!synced || !closed) return fail(reason, path + ": cannot sync: " + errnoText(synced ? errno : code));
  return true;
}

}  // namespace

FileReplacement::~FileReplacement() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool FileReplacement::begin(const std::string& target, std::string* reason) {
  target_ = target;
  const std::string stem = target + ".tmp." + std::to_string(::getpid()) + ".";
  for (int n = 0; n < kNameTries; ++n) {
    const std::string name = stem + std::to_string(n);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temp_ = name;
      if (::close(fd) != 0) return fail(reason, name + ": cannot close: " + errnoText(errno));
      return true;
    }
    if (errno != EEXIST) return fail(reason, name + ": cannot create: " + errnoText(errno));
  }
  return fail(reason, stem + "*: no free name for a temporary file");
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
  // The lock keeps other writers out, but a run that reached the target by
  // another way (another host, a lock it could not share) may still be
  // writing: a file whose process is alive is left alone.
  const auto ownerAlive = [&prefix](std::string_view name) {
    const std::string_view tail = name.substr(prefix.size());
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(tail.data(), tail.data() + tail.find('.'), pid);
    if (ec != std::errc() || pid <= 0) return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
  };
  while (const dirent* entry = ::readdir(listing.get()))
    if (isLeftover(entry->d_name) && !ownerAlive(entry->d_name)) ::unlink(joinPath(dir, entry->d_name).c_str());
}

bool FileReplacement::commit(std::string* reason, bool durable) {
  if (temp_.empty()) return fail(reason, target_ + ": nothing to put in place");
  if (durable && !syncPath(temp_, O_RDONLY, reason)) return false;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    return fail(reason, target_ + ": cannot put the new file in place: " + errnoText(errno));
  }
  temp_.clear();
  return !durable || syncPath(directoryPart(target_), O_RDONLY | O_DIRECTORY, reason);
}

}  // namespace comptab
