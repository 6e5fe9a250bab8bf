// POSIX side of ShellWait: posix_spawn and waitpid.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "catalog/command_line.h"
#include "catalog/shell_wait.h"
#include "common/error.h"

extern char** environ;

namespace gs {

namespace {

// The child starts with no signal blocked and SIGPIPE at its default, even
// if the program that starts it changed either.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attr_);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr_, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr_, &defaults);
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* Get() const { return &attr_; }

 private:
  posix_spawnattr_t attr_;
};

}  // namespace

int32_t RunAndWait(const std::string& applicationName, const std::string& commandLine,
                   int32_t /*windowStyle*/) {
  std::vector<std::string> args = SplitCommandLine(commandLine);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const SpawnAttributes attributes;
  pid_t pid = -1;
  if (posix_spawn(&pid, applicationName.c_str(), nullptr, attributes.Get(), argv.data(), environ) != 0) {
    RaiseFileMissing(applicationName);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) RaiseFileError(errno, applicationName);
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

}  // namespace gs
