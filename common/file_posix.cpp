// POSIX side of the file handles.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "common/error.h"
#include "common/file.h"
#include "common/file_native.h"
#include "common/fs.h"

namespace gs {

namespace {
int Fd(intptr_t handle) {
  return static_cast<int>(handle);
}
}  // namespace

int FileErrorNumber(int systemError) {
  switch (systemError) {
    case ENOENT: return rt::FileNotFound;
    case ENOTDIR: return rt::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return rt::PathFileAccessError;
    case ETXTBSY:
    case EBUSY: return rt::PermissionDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return rt::DiskFull;
    case EEXIST: return rt::FileAlreadyExists;
    case EMFILE:
    case ENFILE: return rt::TooManyFiles;
    case EBADF:
    case ENAMETOOLONG:
    case EINVAL: return rt::BadFileNameOrNumber;
    default: return rt::DeviceIoError;
  }
}

File::File(const std::string& path, Mode mode) : path_(path) {
  const int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) RaiseFileError(errno, path);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    RaiseFileError(EISDIR, path);
  }
  handle_ = fd;
}

File File::Adopt(intptr_t handle, std::string path) {
  File f;
  f.handle_ = handle;
  f.path_ = std::move(path);
  return f;
}

File::~File() {
  if (handle_ >= 0) {
    ::close(Fd(handle_));
  }
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) {
      ::close(Fd(handle_));
    }
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = -1;
  }
  return *this;
}

bool File::IsOpen() const noexcept {
  return handle_ >= 0;
}

uint64_t File::Size() const {
  struct stat st {};
  if (::fstat(Fd(handle_), &st) != 0) RaiseFileError(errno, path_);
  return static_cast<uint64_t>(st.st_size);
}

size_t File::ReadAt(uint64_t offset, void* data, size_t n) const {
  size_t done = 0;
  auto* out = static_cast<uint8_t*>(data);
  while (done < n) {
    const ssize_t r = ::pread(Fd(handle_), out + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      RaiseFileError(errno, path_);
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return done;
}

void File::WriteAt(uint64_t offset, const void* data, size_t n) {
  size_t done = 0;
  const auto* in = static_cast<const uint8_t*>(data);
  while (done < n) {
    const ssize_t r = ::pwrite(Fd(handle_), in + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      RaiseFileError(errno, path_);
    }
    done += static_cast<size_t>(r);
  }
}

void File::Truncate(uint64_t size) {
  if (::ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0) RaiseFileError(errno, path_);
}

void File::Sync() {
  if (::fsync(Fd(handle_)) != 0) RaiseFileError(errno, path_);
}

void File::Close() {
  if (handle_ < 0) return;
  const int fd = Fd(handle_);
  handle_ = -1;
  if (::close(fd) != 0 && errno != EINTR) RaiseFileError(errno, path_);
}

std::string WriteTargetOf(const std::string& path) {
  std::string target = path;
  // Links are followed one by one, so that a link to a file not there yet
  // leads to where it is to be; a loop of links stops after as many as the
  // system would follow.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n <= 0) break;
    link.resize(static_cast<size_t>(n));
    target = link.front() == '/' ? link : DirectoryOf(target) + link;
  }
  return target;
}

File CreateTempBeside(const std::string& path, std::string& tempPath) {
  tempPath = TemporaryPrefixOf(path) + "XXXXXX";
  const int fd = ::mkstemp(tempPath.data());
  if (fd < 0) RaiseFileError(errno, path);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  // mkstemp makes the file private; give it the mode an ordinary new file
  // gets, or the mode of the file it will replace.
  struct stat st {};
  mode_t mode;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  return AdoptNative(fd, tempPath);
}

File AdoptNative(intptr_t handle, std::string path) {
  return File::Adopt(handle, std::move(path));
}

void RemoveQuietly(const std::string& path) noexcept {
  ::unlink(path.c_str());
}

void RemoveFilesStartingWith(const std::string& prefix) noexcept {
  const std::string folder = DirectoryOf(prefix);
  const std::string_view start = std::string_view(prefix).substr(folder.size());
  DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = ::readdir(listing)) {
    if (std::string_view(entry->d_name).starts_with(start)) ::unlink((folder + entry->d_name).c_str());
  }
  ::closedir(listing);
}

}  // namespace gs
