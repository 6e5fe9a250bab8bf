// Windows side of the archive lock: a named mutex for the archive's path and
// a byte-range lock on the archive.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "common/error.h"
#include "archive/archive_lock.h"

namespace gs {

namespace {

using Clock = std::chrono::steady_clock;

// The byte locked lies far past any archive (32-bit offsets), so that the
// lock, which Windows enforces on reads and writes, never covers data.
constexpr DWORD kLockOffsetHigh = 0x100;

HANDLE H(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// The mutex's name: one for every spelling of the archive's path, as far as
// the full long path in capitals tells them apart.
std::string MutexNameOf(const std::string& archivePath) {
  char full[MAX_PATH * 4];
  DWORD n = ::GetFullPathNameA(archivePath.c_str(), sizeof full, full, nullptr);
  std::string path = n > 0 && n < sizeof full ? std::string(full, n) : archivePath;
  char longer[MAX_PATH * 4];
  n = ::GetLongPathNameA(path.c_str(), longer, sizeof longer);
  if (n > 0 && n < sizeof longer) path.assign(longer, n);
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : path) {
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    hash = (hash ^ static_cast<uint8_t>(upper)) * 1099511628211ull;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\Glossmith.ImpBig.%016llx", static_cast<unsigned long long>(hash));
  return name;
}

DWORD MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<DWORD>(std::clamp<long long>(left, 0, 0x7FFFFFFF));
}

// Waits until the byte-range lock on file is ours; false when the deadline
// passes first.
bool WaitForRange(HANDLE file, bool exclusive, Clock::time_point deadline, const std::string& path) {
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  for (int tries = 0;; ++tries) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (::LockFileEx(file, flags, 0, 1, 0, &at)) return true;
    const DWORD e = ::GetLastError();
    if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) RaiseFileError(static_cast<int>(e), path);
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(1 << std::min(tries, 5), 25)));
  }
}

}  // namespace

ArchiveLock::ArchiveLock(const std::string& archivePath, Mode mode, std::chrono::milliseconds patience) {
  const Clock::time_point deadline = Clock::now() + patience;
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, MutexNameOf(archivePath).c_str());
  if (mutex == nullptr) RaiseFileError(static_cast<int>(::GetLastError()), archivePath);
  // An abandoned mutex was held by a run that was killed; the archive is
  // whole all the same.
  const DWORD waited = ::WaitForSingleObject(mutex, MillisecondsUntil(deadline));
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    ::CloseHandle(mutex);
    RaiseArchiveInUse(archivePath, patience);
  }
  const auto letGo = [mutex] {
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
  };

  HANDLE file =
      ::CreateFileA(archivePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD e = ::GetLastError();
    letGo();
    RaiseFileError(static_cast<int>(e), archivePath);
  }
  // Readers that took the lock before hold their byte-range lock until they
  // end; new ones wait for the mutex.
  bool locked = false;
  try {
    locked = WaitForRange(file, mode == Mode::Exclusive, deadline, archivePath);
  } catch (...) {
    ::CloseHandle(file);
    letGo();
    throw;
  }
  if (!locked) {
    ::CloseHandle(file);
    letGo();
    RaiseArchiveInUse(archivePath, patience);
  }
  if (mode == Mode::Exclusive) {
    // No reader is left and none can start while the mutex is held; the
    // handle goes, so that a rewrite can rename over the archive.
    ::CloseHandle(file);
    mutex_ = reinterpret_cast<intptr_t>(mutex);
  } else {
    // Other readers may join; writers wait for this byte-range lock.
    letGo();
    file_ = reinterpret_cast<intptr_t>(file);
  }
}

ArchiveLock::~ArchiveLock() {
  if (file_ != -1) ::CloseHandle(H(file_));  // closing lets the byte-range lock go
  if (mutex_ != 0) {
    ::ReleaseMutex(H(mutex_));
    ::CloseHandle(H(mutex_));
  }
}

}  // namespace gs
