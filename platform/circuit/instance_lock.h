// The lock that lets one run at a time build the instance database of the
// circuits in a directory: an exclusive flock on the circuits' parent
// directory itself (docs/circuit.md). Nothing is written to take it, and
// the system lets go of it when its holder ends, however it ends.
#pragma once

#include <chrono>
#include <string>

namespace comptab {

class InstanceLock {
 public:
  InstanceLock() = default;  // not held
  ~InstanceLock();
  InstanceLock(InstanceLock&& other) noexcept;
  InstanceLock& operator=(InstanceLock&& other) noexcept;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock on `directory`, trying again until `wait` has passed
  // while another holder has it. When it is not held, `reason`, when
  // given, says why in one line.
  static InstanceLock acquire(const std::string& directory, std::chrono::milliseconds wait,
                              std::string* reason = nullptr);

  bool isHeld() const { return fd_ >= 0; }
  void release();

 private:
  int fd_ = -1;
};

}  // namespace comptab
