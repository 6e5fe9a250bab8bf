// The lock files an office keeps beside the documents it has open
// (".~lock.<name>#"). An office that was killed leaves its lock behind; a
// later office then opens the document read-only (or, with a window, stops
// on a "Document in Use" dialog). Locks that offices of ours left are cleared
// before a document is opened or saved; other people's locks are respected.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gs::writer {

struct DocumentLock {
  std::string user;
  std::string systemUser;
  std::string host;
  std::string time;        // "DD.MM.YYYY HH:MM", local time
  std::string profileUrl;  // the locking office's profile folder
};

// The lock file of the document at path.
std::string DocumentLockPath(const std::string& documentPath);

// The fields of a lock file's content ("user,sysuser,host,time,url;", with
// ',' ';' and '\' escaped by '\'); nothing when it is not a lock file.
std::optional<DocumentLock> ParseDocumentLock(std::string_view content);

// The lock's time in seconds since the epoch (0 when unreadable).
int64_t LockTime(const DocumentLock& lock);

// Whether the lock was left by an office of ours (a profile under
// profileRoot) that no longer holds it: the profile is free, or it is the
// caller's own (ownProfile, whose office does not have the document open), or
// its office started after the lock was written.
bool IsStaleLockOfOurs(const DocumentLock& lock, const std::string& profileRoot,
                       const std::string& ownProfile);

// Deletes the document's lock file when it is a stale lock of ours; returns
// whether it did.
bool ClearStaleDocumentLock(const std::string& documentPath, const std::string& profileRoot,
                            const std::string& ownProfile);

}  // namespace gs::writer
