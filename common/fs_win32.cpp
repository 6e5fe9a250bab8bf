// Windows side of the file-system layer.
#include <windows.h>
// windows.h maps these names to its own A/W functions; ours are meant here.
#undef DeleteFile
#undef CopyFile
#undef ReplaceFile

#include <string>

#include "common/error.h"
#include "common/file.h"
#include "common/file_native.h"
#include "common/fs.h"

namespace gs {

const char kPathSeparator = '\\';

namespace {

// What a default directory listing counts as a file: ordinary, read-only and
// archive files, not folders, hidden or system files.
bool IsOrdinary(const WIN32_FIND_DATAA& found) {
  return (found.dwFileAttributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

}  // namespace

bool FileExists(const std::string& path) {
  // A listing would take "*" and "?" as wildcards; no file is named so.
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA(path.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  return IsOrdinary(found);
}

bool HasOrdinaryFile(const std::string& folder) {
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do {
    if (IsOrdinary(found)) {
      any = true;
      break;
    }
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
  return any;
}

void DeleteFile(const std::string& path) {
  if (!::DeleteFileA(path.c_str())) RaiseFileError(static_cast<int>(::GetLastError()), path);
}

void CopyFileOver(const std::string& source, const std::string& destination) {
  // The copy goes to a temporary name first, so a failed copy leaves the old
  // destination whole.
  std::string temp;
  CreateTempBeside(destination, temp).Close();
  if (!::CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
    const DWORD e = ::GetLastError();
    RemoveQuietly(temp);
    RaiseFileError(static_cast<int>(e), e == ERROR_FILE_NOT_FOUND ? source : destination);
  }
  ReplaceFile(temp, destination);
}

namespace {

// The volume and file index that identify the file at path, through links.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
  ::CloseHandle(h);
  return ok;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{};
  BY_HANDLE_FILE_INFORMATION ib{};
  return FileIdentity(a, ia) && FileIdentity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

void ReplaceFile(const std::string& source, const std::string& destination, Durability durability) {
  const DWORD writeThrough = durability == Durability::Lasting ? MOVEFILE_WRITE_THROUGH : 0;
  if (!::MoveFileExA(source.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | writeThrough)) {
    const DWORD e = ::GetLastError();
    RemoveQuietly(source);
    RaiseFileError(static_cast<int>(e), destination);
  }
}

std::string ExecutableDir() {
  char buf[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return {};
  return DirectoryOf(std::string(buf, n));
}

std::string DirectoryOf(const std::string& path) {
  const auto pos = path.find_last_of("\\/");
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

}  // namespace gs
