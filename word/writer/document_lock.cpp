#include "word/writer/document_lock.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "common/error.h"
#include "common/file.h"
#include "common/fs.h"
#include "word/writer/file_url.h"
#include "word/writer/office_process.h"

namespace gs::writer {

namespace {
// A lock written this long before its profile's office started is stale.
constexpr int64_t kClockSlackSeconds = 90;
}  // namespace

std::string DocumentLockPath(const std::string& documentPath) {
  const size_t slash = documentPath.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  return documentPath.substr(0, nameAt) + ".~lock." + documentPath.substr(nameAt) + "#";
}

std::optional<DocumentLock> ParseDocumentLock(std::string_view content) {
  std::vector<std::string> fields(1);
  bool ended = false;
  for (size_t i = 0; i < content.size() && !ended; ++i) {
    const char c = content[i];
    if (c == '\\' && i + 1 < content.size()) {
      fields.back().push_back(content[++i]);
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == ';') {
      ended = true;
    } else {
      fields.back().push_back(c);
    }
  }
  if (!ended || fields.size() < 5) return std::nullopt;
  return DocumentLock{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

int64_t LockTime(const DocumentLock& lock) {
  std::tm tm{};
  char tail = 0;
  if (std::sscanf(lock.time.c_str(), "%d.%d.%d %d:%d%c", &tm.tm_mday, &tm.tm_mon, &tm.tm_year, &tm.tm_hour,
                  &tm.tm_min, &tail) != 5) {
    return 0;
  }
  tm.tm_mon -= 1;
  tm.tm_year -= 1900;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  return t < 0 ? 0 : static_cast<int64_t>(t);
}

bool IsStaleLockOfOurs(const DocumentLock& lock, const std::string& profileRoot,
                       const std::string& ownProfile) {
  std::string folder = PathOfFileUrl(lock.profileUrl);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string prefix = profileRoot + "/";
  if (!folder.starts_with(prefix)) return false;
  const std::string_view number = std::string_view(folder).substr(prefix.size());
  if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos) return false;
  if (folder == ownProfile) return true;
  const int64_t heldSince = ProfileHeldSince(folder);
  if (heldSince == 0) return true;
  const int64_t written = LockTime(lock);
  return written > 0 && written + kClockSlackSeconds < heldSince;
}

bool ClearStaleDocumentLock(const std::string& documentPath, const std::string& profileRoot,
                            const std::string& ownProfile) {
  const std::string lockPath = DocumentLockPath(documentPath);
  // Lock files are hidden files, which FileExists does not count.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(lockPath, ec)) return false;
  Bytes content;
  try {
    content = ReadWholeFile(lockPath);
  } catch (const Error&) {
    return false;  // gone meanwhile, or not ours to read
  }
  const auto lock =
      ParseDocumentLock(std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
  if (!lock || !IsStaleLockOfOurs(*lock, profileRoot, ownProfile)) return false;
  DeleteFile(lockPath);
  return true;
}

}  // namespace gs::writer
