#include "platform/circuit/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/support/path.h"

namespace comptab {

namespace {
constexpr std::chrono::milliseconds kRetryEvery{20};
}

InstanceLock::~InstanceLock() { release(); }

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), busy_(other.busy_) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    busy_ = other.busy_;
  }
  return *this;
}

void InstanceLock::release() {
  // Closing the descriptor ends the lock.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

InstanceLock InstanceLock::acquire(const std::string& directory, std::chrono::milliseconds wait, std::string* reason) {
  InstanceLock lock;
  const auto refuse = [&reason, &lock](std::string why) {
    if (reason != nullptr) *reason = std::move(why);
    return std::move(lock);
  };
  const std::string real = realPath(directory).value_or(directory);
  const int fd = ::open(real.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return refuse(directory + ": cannot open the folder to lock it: " + std::generic_category().message(errno));
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      lock.fd_ = fd;
      return lock;
    }
    const int code = errno;
    if (code == EINTR) continue;
    if (code != EWOULDBLOCK) {
      ::close(fd);
      return refuse(directory + ": cannot lock the directory: " + std::generic_category().message(code));
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kRetryEvery);
  }
  ::close(fd);
  lock.busy_ = true;
  return refuse(directory + ": another run held the lock for longer than " + std::to_string(wait.count()) + " ms");
}

}  // namespace comptab
