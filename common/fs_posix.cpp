// POSIX side of the file-system layer.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/file.h"
#include "common/file_native.h"
#include "common/fs.h"

namespace gs {

const char kPathSeparator = '/';

namespace {

std::string BaseName(const std::string& path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

// A dot-file plays the part of a hidden file.
bool IsHiddenName(const std::string& name) {
  return !name.empty() && name[0] == '.';
}

void SyncFolderOf(const std::string& path) {
  const std::string dir = DirectoryOf(path);
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool FileExists(const std::string& path) {
  if (path.empty() || IsHiddenName(BaseName(path))) return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HasOrdinaryFile(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (IsHiddenName(name)) continue;
    struct stat st {};
    if (::stat((base + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

void DeleteFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) RaiseFileError(EISDIR, path);
  if (::unlink(path.c_str()) != 0) RaiseFileError(errno, path);
}

void CopyFileOver(const std::string& source, const std::string& destination) {
  File in(source, File::Mode::Read);
  AtomicFile out(destination);
  std::vector<uint8_t> block(1 << 20);
  for (uint64_t offset = 0;;) {
    const size_t n = in.ReadAt(offset, block.data(), block.size());
    if (n == 0) break;
    out.Append(block.data(), n);
    offset += n;
  }
  out.Commit();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

void ReplaceFile(const std::string& source, const std::string& destination, Durability durability) {
  if (::rename(source.c_str(), destination.c_str()) != 0) {
    const int e = errno;
    RemoveQuietly(source);
    RaiseFileError(e, destination);
  }
  if (durability == Durability::Lasting) SyncFolderOf(destination);
}

std::string ExecutableDir() {
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  return DirectoryOf(std::string(buf.data(), static_cast<size_t>(n)));
}

std::string DirectoryOf(const std::string& path) {
  const auto pos = path.find_last_of(kPathSeparator);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

}  // namespace gs
