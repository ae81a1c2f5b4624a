// The texts of the numbered messages. A catalogue is a UTF-8 text file with
// one message per line:
//
//   # comment
//   38627 The resource file "%1" does not exist.
//
// %1 to %9 stand for the message's arguments (an argument that was not
// passed gives nothing) and %% for one percent sign.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace comptab {

class MessageCatalog {
 public:
  // Reads the file; a missing or unreadable file leaves the catalogue empty
  // and a malformed line is skipped, so messages never fail to print.
  void load(const std::string& path);
  bool empty() const { return texts_.empty(); }

  // The message text with its arguments filled in, or, for a code the
  // catalogue lacks, the arguments joined by ", ".
  std::string format(int code, const std::vector<std::string_view>& args) const;

 private:
  std::map<int, std::string> texts_;
};

}  // namespace comptab
