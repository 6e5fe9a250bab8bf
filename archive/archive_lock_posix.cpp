// POSIX side of the archive lock: flock on the archive.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "common/error.h"
#include "archive/archive_lock.h"

namespace gs {

namespace {

using Clock = std::chrono::steady_clock;

// How long a waiting run sleeps between tries: short at first, since most
// runs end within milliseconds.
std::chrono::milliseconds Pause(int tries) {
  return std::chrono::milliseconds(std::min(1 << std::min(tries, 5), 25));
}

// Waits until the lock on fd is ours; false when the deadline passes first.
bool WaitForLock(int fd, int operation, Clock::time_point deadline, const std::string& path) {
  for (int tries = 0; ::flock(fd, operation | LOCK_NB) != 0; ++tries) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) RaiseFileError(errno, path);
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(Pause(tries));
  }
  return true;
}

}  // namespace

ArchiveLock::ArchiveLock(const std::string& archivePath, Mode mode, std::chrono::milliseconds patience) {
  const Clock::time_point deadline = Clock::now() + patience;
  const int operation = mode == Mode::Exclusive ? LOCK_EX : LOCK_SH;
  for (;;) {
    const int fd = ::open(archivePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) RaiseFileError(errno, archivePath);
    bool locked = false;
    try {
      locked = WaitForLock(fd, operation, deadline, archivePath);
    } catch (...) {
      ::close(fd);
      throw;
    }
    if (!locked) {
      ::close(fd);
      RaiseArchiveInUse(archivePath, patience);
    }
    // A rewrite may have renamed a new archive over the file locked while
    // this run waited; the lock then guards nothing, and the new file is
    // the one to lock.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::stat(archivePath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      file_ = fd;
      return;
    }
    ::close(fd);
  }
}

ArchiveLock::~ArchiveLock() {
  if (file_ >= 0) ::close(static_cast<int>(file_));  // closing lets the lock go
}

}  // namespace gs
