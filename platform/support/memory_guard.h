// The one place where an exception thrown by the standard library or a
// third-party library (std::bad_alloc above all: any container may throw it
// when memory runs out) is caught, so that the run can report it as an
// error like any other instead of ending in std::terminate.
#pragma once

#include <functional>
#include <string>

namespace comptab {

// Runs `body`. True when it returned; false when an exception left it, with
// `reason`, when given, saying what ran out or failed. What `body` built on
// its own stack is released on the way out, which gives back most of the
// memory.
bool runGuarded(const std::function<void()>& body, std::string* reason = nullptr);

}  // namespace comptab
