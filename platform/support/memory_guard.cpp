#include "platform/support/memory_guard.h"

#include <exception>
#include <new>

namespace comptab {

namespace {

// Even a short text may need memory that is not there.
void tell(std::string* reason, const char* text) {
  if (reason == nullptr) return;
  try {
    *reason = text;
  } catch (...) {
    reason->clear();
  }
}

}  // namespace

bool runGuarded(const std::function<void()>& body, std::string* reason) {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
    tell(reason, "the memory ran out (std::bad_alloc)");
  } catch (const std::exception& error) {
    tell(reason, error.what());
  } catch (...) {
    tell(reason, "a library failed with an unknown exception");
  }
  return false;
}

}  // namespace comptab
