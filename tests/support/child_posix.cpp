#include "tests/support/child_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/error.h"

namespace gs::test {

namespace {

constexpr int kOther = 254;

// body's outcome as an exit status: 0, an error's number, or kOther.
[[noreturn]] void RunAndExit(const std::function<void()>& body) {
  try {
    body();
    ::_exit(0);
  } catch (const Error& e) {
    ::_exit(e.Number() > 0 && e.Number() < kOther ? e.Number() : 255);
  } catch (...) {
    ::_exit(kOther);
  }
}

}  // namespace

int ErrorInChild(const std::function<void()>& body, uint64_t fileSizeLimit) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (fileSizeLimit != kNoLimit) {
      const rlimit size{fileSizeLimit, fileSizeLimit};
      ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
      if (::setrlimit(RLIMIT_FSIZE, &size) != 0) ::_exit(kOther);
    }
    RunAndExit(body);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == kOther ? -1 : WEXITSTATUS(status);
}

uint64_t PeakMemoryOf(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    // A program started afresh: the test's own memory does not count.
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return kNoLimit;
  return static_cast<uint64_t>(usage.ru_maxrss) * 1024;
}

}  // namespace gs::test
