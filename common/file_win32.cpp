// Windows side of the file handles.
#include <windows.h>
// windows.h maps these names, declared in fs.h, to its own A/W functions.
#undef DeleteFile
#undef CopyFile
#undef ReplaceFile

#include <algorithm>
#include <cstdio>
#include <random>
#include <string_view>

#include "common/error.h"
#include "common/file.h"
#include "common/file_native.h"
#include "common/fs.h"

namespace gs {

namespace {
HANDLE H(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}
constexpr intptr_t kNone = -1;  // INVALID_HANDLE_VALUE
}  // namespace

int FileErrorNumber(int systemError) {
  switch (static_cast<DWORD>(systemError)) {
    case ERROR_FILE_NOT_FOUND: return rt::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH: return rt::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return rt::PathFileAccessError;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return rt::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return rt::DiskFull;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return rt::FileAlreadyExists;
    case ERROR_TOO_MANY_OPEN_FILES: return rt::TooManyFiles;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_HANDLE:
    case ERROR_FILENAME_EXCED_RANGE: return rt::BadFileNameOrNumber;
    default: return rt::DeviceIoError;
  }
}

File::File(const std::string& path, Mode mode) : path_(path) {
  const DWORD access = mode == Mode::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  HANDLE h = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) RaiseFileError(static_cast<int>(::GetLastError()), path);
  handle_ = reinterpret_cast<intptr_t>(h);
}

File File::Adopt(intptr_t handle, std::string path) {
  File f;
  f.handle_ = handle;
  f.path_ = std::move(path);
  return f;
}

File::~File() {
  if (handle_ != kNone) {
    ::CloseHandle(H(handle_));
  }
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = kNone;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != kNone) {
      ::CloseHandle(H(handle_));
    }
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = kNone;
  }
  return *this;
}

bool File::IsOpen() const noexcept {
  return handle_ != kNone;
}

uint64_t File::Size() const {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(H(handle_), &size)) RaiseFileError(static_cast<int>(::GetLastError()), path_);
  return static_cast<uint64_t>(size.QuadPart);
}

size_t File::ReadAt(uint64_t offset, void* data, size_t n) const {
  size_t done = 0;
  auto* out = static_cast<uint8_t*>(data);
  while (done < n) {
    OVERLAPPED at{};
    const uint64_t pos = offset + done;
    at.Offset = static_cast<DWORD>(pos);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(H(handle_), out + done, chunk, &got, &at)) {
      const DWORD e = ::GetLastError();
      if (e == ERROR_HANDLE_EOF) break;
      RaiseFileError(static_cast<int>(e), path_);
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

void File::WriteAt(uint64_t offset, const void* data, size_t n) {
  size_t done = 0;
  const auto* in = static_cast<const uint8_t*>(data);
  while (done < n) {
    OVERLAPPED at{};
    const uint64_t pos = offset + done;
    at.Offset = static_cast<DWORD>(pos);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(H(handle_), in + done, chunk, &put, &at)) {
      RaiseFileError(static_cast<int>(::GetLastError()), path_);
    }
    done += put;
  }
}

void File::Truncate(uint64_t size) {
  LARGE_INTEGER pos;
  pos.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(H(handle_), pos, nullptr, FILE_BEGIN) || !::SetEndOfFile(H(handle_))) {
    RaiseFileError(static_cast<int>(::GetLastError()), path_);
  }
}

void File::Sync() {
  if (!::FlushFileBuffers(H(handle_))) RaiseFileError(static_cast<int>(::GetLastError()), path_);
}

void File::Close() {
  if (handle_ == kNone) return;
  HANDLE h = H(handle_);
  handle_ = kNone;
  if (!::CloseHandle(h)) RaiseFileError(static_cast<int>(::GetLastError()), path_);
}

std::string WriteTargetOf(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
  // A symbolic link: the file it leads to, as the system names it.
  HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return path;
  char target[MAX_PATH * 4];
  const DWORD n =
      ::GetFinalPathNameByHandleA(h, target, sizeof target, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  ::CloseHandle(h);
  if (n == 0 || n >= sizeof target) return path;
  const std::string_view found(target, n);
  if (found.starts_with("\\\\?\\UNC\\")) return "\\\\" + std::string(found.substr(8));
  if (found.starts_with("\\\\?\\")) return std::string(found.substr(4));
  return std::string(found);
}

File CreateTempBeside(const std::string& path, std::string& tempPath) {
  std::random_device seed;
  std::mt19937 rng(seed());
  const std::string prefix = TemporaryPrefixOf(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", static_cast<unsigned>(rng() & 0xFFFFFF));
    tempPath = prefix + suffix;
    HANDLE h = ::CreateFileA(tempPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return AdoptNative(reinterpret_cast<intptr_t>(h), tempPath);
    const DWORD e = ::GetLastError();
    if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) RaiseFileError(static_cast<int>(e), path);
  }
  RaiseFileError(ERROR_FILE_EXISTS, path);
}

File AdoptNative(intptr_t handle, std::string path) {
  return File::Adopt(handle, std::move(path));
}

void RemoveQuietly(const std::string& path) noexcept {
  ::DeleteFileA(path.c_str());
}

void RemoveFilesStartingWith(const std::string& prefix) noexcept {
  const std::string folder = DirectoryOf(prefix);
  const std::string_view start = std::string_view(prefix).substr(folder.size());
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA((prefix + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    // The pattern may also match short 8.3 names; the long name decides.
    if (std::string_view(found.cFileName).starts_with(start))
      ::DeleteFileA((folder + found.cFileName).c_str());
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
}

}  // namespace gs
