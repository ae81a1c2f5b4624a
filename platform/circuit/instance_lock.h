// The lock that lets one run at a time build the instance database of a
// circuit: an exclusive flock on the circuit's folder itself, reached by its
// real path (docs/circuit.md), so that runs that name the circuit through
// different paths take one lock. Nothing is written to take it, and the
// system lets go of it when its holder ends, however it ends.
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
  // True when the lock is not held because another run kept it past the
  // wait; false when the folder could not be opened or locked at all.
  bool busy() const { return busy_; }
  void release();

 private:
  int fd_ = -1;
  bool busy_ = false;
};

}  // namespace comptab
