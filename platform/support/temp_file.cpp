#include "platform/support/temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <vector>

#include "platform/support/environment.h"
#include "platform/support/path.h"

namespace comptab {

std::optional<std::string> createTempFile(std::string_view prefix) {
  std::string dir = lookupEnv("TMPDIR").value_or("");
  if (dir.empty() || pathKind(dir) != PathKind::Directory) dir = "/tmp";
  const std::string pattern = joinPath(dir, std::string(prefix) + "XXXXXX");
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return std::nullopt;
  ::close(fd);
  return std::string(name.data());
}

}  // namespace comptab
