#include "platform/support/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>

extern char** environ;

namespace comptab {

bool runAndWait(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // What this process has written so far comes before anything the child
  // writes to the same streams.
  std::fflush(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace comptab
