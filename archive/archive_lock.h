// One writer at a time on an archive, across processes: the archive tool
// holds an ArchiveLock for the whole of each run, a rewrite that renames a
// new file over the archive included. Extractions share the lock; inserts and
// finishing runs hold it alone.
//
// POSIX (archive_lock_posix.cpp): flock on the archive itself. A run that
// waited on a file that a rewrite has since replaced finds the path naming
// another file once it has the lock, and locks that one instead.
// Windows (archive_lock_win32.cpp): a named mutex for the archive's full
// path, held for the whole run by writers and while taking the lock by
// readers, with a shared or exclusive byte-range lock (LockFileEx) on the
// archive that lets readers in together. Writers hold no handle on the
// archive while they wait or after they have the lock, since Windows refuses
// to rename a file over one that is open.
//
// Nothing is left in the archive's folder.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace gs {

class ArchiveLock {
 public:
  enum class Mode { Shared, Exclusive };

  // Takes the lock, waiting at most `patience` for other runs to let go.
  // Raises error 70 (Permission denied) naming the archive when they hold it
  // longer, and the file error when the archive cannot be opened.
  ArchiveLock(const std::string& archivePath, Mode mode, std::chrono::milliseconds patience);
  ~ArchiveLock();
  ArchiveLock(const ArchiveLock&) = delete;
  ArchiveLock& operator=(const ArchiveLock&) = delete;

 private:
  intptr_t file_ = -1;  // the locked archive, while open
  intptr_t mutex_ = 0;  // Windows: the archive's mutex, while owned
};

// Raises the error of an archive that other runs held for longer than
// `patience`.
[[noreturn]] void RaiseArchiveInUse(const std::string& archivePath, std::chrono::milliseconds patience);

}  // namespace gs
