// POSIX side of the office process: profile locks with flock(), the keeper
// as a double-forked process that talks to this program over a socket pair.
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "common/error.h"
#include "word/writer/office_process.h"

namespace gs::writer {

namespace {

constexpr int kMaxProfiles = 64;
constexpr int kMaxRestarts = 3;
// How long the keeper lets an office end after SIGTERM before SIGKILL.
constexpr int kTermGraceMs = 5000;

// Messages between this program and the keeper: one command byte from here;
// eight-byte reports from there.
struct Report {
  char type;  // 'X': how the office ended
  char pad[3];
  int32_t value;
};

void MakeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) RaiseFileError(errno, part);
  }
}

std::string LockPathOf(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path + ".lock";
}

int64_t NowSeconds() {
  return static_cast<int64_t>(::time(nullptr));
}

// --- the keeper; everything below runs in a forked child of a possibly
// multi-threaded program, so it sticks to async-signal-safe calls.

int64_t MonotonicMs() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

// Signals the office's process group, and the office itself should the group
// not be there.
void SignalOffice(pid_t office, int sig) {
  if (::kill(-office, sig) != 0) ::kill(office, sig);
}

void CloseRange(int from, int to) {
  if (from > to) return;
  if (::close_range(static_cast<unsigned>(from), static_cast<unsigned>(to), 0) == 0) return;
  const int last = std::min(to, 65535);
  for (int fd = from; fd <= last; ++fd) ::close(fd);
}

// Closes every descriptor from 3 up except the given ones (sorted).
void CloseAllBut(int* keep, int count) {
  std::sort(keep, keep + count);
  int from = 3;
  for (int k = 0; k < count; ++k) {
    CloseRange(from, keep[k] - 1);
    from = std::max(from, keep[k] + 1);
  }
  CloseRange(from, ~0U >> 1);
}

void SendReport(int sock, char type, int32_t value) {
  Report r{type, {}, value};
  // Nobody may be listening any more; MSG_NOSIGNAL keeps that from killing us.
  (void)::send(sock, &r, sizeof r, MSG_NOSIGNAL);
}

int EndCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

[[noreturn]] void StartOffice(char* const* argv, int logFd, int nullFd, pid_t keeper) {
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != keeper) ::_exit(127);
  ::setpgid(0, 0);
  ::dup2(nullFd, 0);
  ::dup2(logFd, 1);
  ::dup2(logFd, 2);
  CloseRange(3, ~0U >> 1);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  ::sigaction(SIGPIPE, &dfl, nullptr);
  ::execv(argv[0], argv);
  ::_exit(127);
}

// Watches one run of the office until it ends; returns its wait status.
int WatchOffice(pid_t office, int sock, bool& detached, bool& orphaned) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, office, 0));
  int64_t killAt = -1;  // when SIGTERM was not enough
  for (;;) {
    int status = 0;
    if (::waitpid(office, &status, WNOHANG) == office) {
      if (pidfd >= 0) ::close(pidfd);
      return status;
    }
    struct pollfd fds[2] = {{sock, POLLIN, 0}, {pidfd, POLLIN, 0}};
    const int count = orphaned ? 0 : 1;
    int timeout = pidfd >= 0 ? -1 : 100;
    if (killAt >= 0)
      timeout = static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(killAt - MonotonicMs(), 100)));
    if (pidfd >= 0) {
      fds[count] = {pidfd, POLLIN, 0};
      ::poll(fds, static_cast<nfds_t>(count + 1), timeout);
    } else {
      ::poll(fds, static_cast<nfds_t>(count), timeout);
    }
    if (killAt >= 0 && MonotonicMs() >= killAt) {
      SignalOffice(office, SIGKILL);
      killAt = -1;
    }
    if (count == 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char commands[64];
    const ssize_t n = ::recv(sock, commands, sizeof commands, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The program is gone: end the office unless it is the user's now.
      orphaned = true;
      if (!detached) {
        SignalOffice(office, SIGTERM);
        killAt = MonotonicMs() + kTermGraceMs;
      }
      continue;
    }
    for (ssize_t k = 0; k < n; ++k) {
      switch (commands[k]) {
        case 'D': detached = true; break;
        case 'A': detached = false; break;
        case 'K': SignalOffice(office, SIGKILL); break;
        default: break;
      }
    }
  }
}

[[noreturn]] void RunKeeper(int sock, int logFd, int nullFd, int lockFd, char* const* argv) {
  ::setsid();
  struct sigaction act {};
  act.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) {
    if (sig != SIGKILL && sig != SIGSTOP) ::sigaction(sig, &act, nullptr);
  }
  act.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &act, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // Nothing of this program's terminal or pipes stays open in the keeper.
  ::dup2(nullFd, 0);
  ::dup2(logFd, 1);
  ::dup2(logFd, 2);
  int keep[] = {sock, logFd, nullFd, lockFd};
  CloseAllBut(keep, lockFd >= 0 ? 4 : 3);

  bool detached = false;
  bool orphaned = false;
  for (int restarts = 0;; ++restarts) {
    const pid_t keeper = ::getpid();
    const pid_t office = ::fork();
    if (office == 0) StartOffice(argv, logFd, nullFd, keeper);
    if (office < 0) {
      SendReport(sock, 'X', 127);
      ::_exit(1);
    }
    // Set here too, so that the group exists before the first signal to it.
    ::setpgid(office, office);
    const int status = WatchOffice(office, sock, detached, orphaned);
    const int code = EndCode(status);
    if (code == kOfficeRestartCode && restarts < kMaxRestarts && !orphaned) continue;
    SendReport(sock, 'X', code);
    ::_exit(0);
  }
}

}  // namespace

// --- profiles

OfficeProfile OfficeProfile::Acquire(const std::string& root) {
  MakeFolders(root);
  for (int n = 0; n < kMaxProfiles; ++n) {
    const std::string folder = root + "/" + std::to_string(n);
    const std::string lockPath = LockPathOf(folder);
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) RaiseFileError(errno, lockPath);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      const int e = errno;
      ::close(fd);
      RaiseFileError(e, folder);
    }
    // Record since when the profile is in use: a document lock file left
    // there earlier is stale even though the profile is busy again.
    const std::string since = std::to_string(NowSeconds()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, since.data(), since.size(), 0) < 0) {
      const int e = errno;
      ::close(fd);
      RaiseFileError(e, lockPath);
    }
    OfficeProfile p;
    p.root_ = root;
    p.folder_ = folder;
    p.lock_ = fd;
    return p;
  }
  RaiseRuntime(rt::PermissionDenied, "every word processor profile in " + root + " is in use");
}

void OfficeProfile::HandOver() noexcept {
  if (lock_ >= 0) ::close(lock_);
  lock_ = -1;
}

OfficeProfile::~OfficeProfile() {
  if (lock_ >= 0) ::close(lock_);
}

OfficeProfile::OfficeProfile(OfficeProfile&& other) noexcept
    : root_(std::move(other.root_)), folder_(std::move(other.folder_)), lock_(other.lock_) {
  other.lock_ = -1;
}

OfficeProfile& OfficeProfile::operator=(OfficeProfile&& other) noexcept {
  if (this != &other) {
    if (lock_ >= 0) ::close(lock_);
    root_ = std::move(other.root_);
    folder_ = std::move(other.folder_);
    lock_ = other.lock_;
    other.lock_ = -1;
  }
  return *this;
}

int64_t ProfileHeldSince(const std::string& folder) {
  const std::string lockPath = LockPathOf(folder);
  const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  int64_t since = 0;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    since = n > 0 ? std::strtoll(text, nullptr, 10) : 0;
    if (since <= 0) since = 1;
  }
  ::close(fd);
  return since;
}

std::string DefaultProfileRoot() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  std::string base;
  if (cache != nullptr && cache[0] == '/') {
    base = cache;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw != nullptr ? pw->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.cache";
  }
  return base + "/Glossmith/writer";
}

// --- the process

OfficeProcess::OfficeProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& logPath, const OfficeProfile& profile) {
  // Everything the children need is prepared here: after fork they may not allocate.
  std::vector<std::string> strings;
  strings.push_back(program);
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (logFd < 0) RaiseFileError(errno, logPath);
  const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  int sv[2];
  if (nullFd < 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
    const int e = errno;
    ::close(logFd);
    if (nullFd >= 0) ::close(nullFd);
    RaiseFileError(e, "socketpair");
  }
  // Forked twice, so that the keeper is nobody's child here and never lingers
  // as a zombie of this program.
  const pid_t middle = ::fork();
  if (middle == 0) {
    const pid_t keeper = ::fork();
    if (keeper != 0) ::_exit(keeper < 0 ? 1 : 0);
    RunKeeper(sv[1], logFd, nullFd, profile.LockHandle(), argv.data());
  }
  const int forkError = errno;
  ::close(sv[1]);
  ::close(logFd);
  ::close(nullFd);
  if (middle < 0) {
    ::close(sv[0]);
    RaiseFileError(forkError, program);
  }
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  socket_ = sv[0];
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) exitCode_ = 127;
}

OfficeProcess::~OfficeProcess() {
  if (socket_ >= 0) ::close(socket_);
}

void OfficeProcess::Send(char command) {
  if (socket_ >= 0) (void)::send(socket_, &command, 1, MSG_NOSIGNAL);
}

void OfficeProcess::Receive(int timeoutMs) {
  if (socket_ < 0 || exitCode_) return;
  struct pollfd fd {
    socket_, POLLIN, 0
  };
  if (::poll(&fd, 1, timeoutMs) <= 0) return;
  char buffer[256];
  const ssize_t n = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
    // The keeper is gone without a word: the office is gone with it.
    if (!exitCode_) exitCode_ = 255;
    return;
  }
  if (n < 0) return;
  pending_.append(buffer, static_cast<size_t>(n));
  while (pending_.size() >= sizeof(Report)) {
    Report r;
    std::memcpy(&r, pending_.data(), sizeof r);
    pending_.erase(0, sizeof r);
    if (r.type == 'X') exitCode_ = r.value;
  }
}

bool OfficeProcess::Running() {
  Receive(0);
  return !exitCode_;
}

std::optional<int> OfficeProcess::ExitCode() {
  Receive(0);
  return exitCode_;
}

bool OfficeProcess::WaitForExit(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    Receive(0);
    if (exitCode_) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    Receive(static_cast<int>(std::min<int64_t>(left.count(), 1000)));
  }
}

void OfficeProcess::Kill() {
  Send('K');
}

void OfficeProcess::SetDetached(bool detached) {
  Send(detached ? 'D' : 'A');
}

}  // namespace gs::writer
