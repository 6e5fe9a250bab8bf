// The word processor's process and its private profile folder
// (office_process_posix.cpp).
//
// Each application runs its own office process with a profile folder of its
// own, so that the user's own office and its windows are never touched and
// two applications never share a profile. Profiles are kept between runs
// (an office starts much faster with a used profile) and are handed out
// under a lock: a profile folder is in use exactly while its lock is held.
//
// The office is started through a small keeper process. The keeper holds the
// profile lock for as long as the office runs, starts the office again when a
// fresh profile makes it exit with code 81, and ends the office when this
// program goes away (ends, crashes or is killed) — unless the office was
// handed to the user (Detach), as a visible word processor with the user's
// work in it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gs::writer {

// The exit code with which an office asks to be started again (first start
// with a fresh profile).
inline constexpr int kOfficeRestartCode = 81;

// An exclusively held profile folder: root/<n>/, locked through root/<n>.lock.
class OfficeProfile {
 public:
  // Locks the first free profile under root, creating folders as needed.
  // Raises an error when the folders cannot be made or every profile is in use.
  static OfficeProfile Acquire(const std::string& root);

  OfficeProfile() = default;
  ~OfficeProfile();
  OfficeProfile(OfficeProfile&& other) noexcept;
  OfficeProfile& operator=(OfficeProfile&& other) noexcept;
  OfficeProfile(const OfficeProfile&) = delete;
  OfficeProfile& operator=(const OfficeProfile&) = delete;

  const std::string& Folder() const noexcept { return folder_; }
  const std::string& Root() const noexcept { return root_; }
  // The open, locked lock file (for the keeper to inherit).
  int LockHandle() const noexcept { return lock_; }
  // Closes this program's handle of the lock, once the keeper holds it: the
  // profile is then free exactly when its office has ended.
  void HandOver() noexcept;

 private:
  std::string root_;
  std::string folder_;
  int lock_ = -1;
};

// Since when a profile folder has been held by a running office (seconds
// since the epoch), or 0 when no office holds it.
int64_t ProfileHeldSince(const std::string& folder);

// The default root of the profiles: $XDG_CACHE_HOME/Glossmith/writer, or
// ~/.cache/Glossmith/writer.
std::string DefaultProfileRoot();

class OfficeProcess {
 public:
  // Starts program with arguments through the keeper; its output goes to
  // logPath. The keeper takes over the profile's lock.
  OfficeProcess(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& logPath, const OfficeProfile& profile);
  // Ends the office unless it was detached.
  ~OfficeProcess();
  OfficeProcess(const OfficeProcess&) = delete;
  OfficeProcess& operator=(const OfficeProcess&) = delete;

  // False once the office has ended for good (after any restart).
  bool Running();
  // How it ended: its exit code, or 128 + signal; empty while it runs.
  std::optional<int> ExitCode();
  // Waits up to seconds for the office to end; true when it has.
  bool WaitForExit(double seconds);
  // Ends the office at once (SIGKILL to its process group).
  void Kill();
  // A detached office outlives this object and this program.
  void SetDetached(bool detached);

 private:
  void Receive(int timeoutMs);
  void Send(char command);

  int socket_ = -1;
  std::optional<int> exitCode_;
  std::string pending_;
};

}  // namespace gs::writer
