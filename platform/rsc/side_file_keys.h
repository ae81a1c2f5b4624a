// Checks shared by the readers of the TOML side files (data resource,
// component kinds, property display names): the format version and the
// wording of a reason that names a value the file got wrong.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/rsc/rsc_file.h"

namespace comptab {

// Hands a reader's reason to its caller (when the caller asked for one),
// prefixed with the file's path. Returns null so that a reader can write
// `return fail("...")`.
class SideFileFailure {
 public:
  SideFileFailure(const std::string& path, std::string* reason) : path_(path), reason_(reason) {}
  std::nullptr_t operator()(const std::string& why) const {
    if (reason_) *reason_ = path_ + ": " + why;
    return nullptr;
  }
  // For a reason that already names the file (the parser's).
  std::nullptr_t passOn(const std::string& whole) const {
    if (reason_) *reason_ = whole;
    return nullptr;
  }

 private:
  const std::string& path_;
  std::string* reason_;
};

// The only format version of the side files so far.
inline constexpr int kSideFileFormat = 1;

// A value as a reason shows it: the text quoted (cut short, control bytes
// made visible), an integer or scalar by its TOML text, else what it is.
std::string describeValue(const RscValue& value);

// Reads and parses a side file and checks its format version (absent or 1).
// Nothing when that fails; `fail` then has the reason.
std::optional<RscFile> openSideFile(const std::string& path, const SideFileFailure& fail);

}  // namespace comptab
