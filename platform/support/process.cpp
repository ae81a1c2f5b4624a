#include "platform/support/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/support/file_handle.h"
#include "platform/support/text.h"

extern char** environ;

namespace comptab {

bool runAndWait(const std::string& program, const std::vector<std::string>& args, std::string* reason) {
  std::string ignored;
  std::string& outcome = reason != nullptr ? *reason : ignored;
  outcome.clear();
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // What this process has written so far comes before anything the child
  // writes to the same streams.
  std::fflush(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (spawned != 0) {
    outcome = "could not be started: " + systemReason(spawned);
    return false;
  }
  int status = 0;
  pid_t waited = 0;
  while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  if (waited < 0) {
    outcome = "could not be waited for: " + systemReason(errno);
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status)) {
    outcome = strprintf("exited with status %d", WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    const char* name = ::sigabbrev_np(WTERMSIG(status));
    outcome = strprintf("was ended by signal %d (SIG%s)", WTERMSIG(status), name ? name : "?");
  } else {
    outcome = "ended abnormally";
  }
  return false;
}

}  // namespace comptab
