// POSIX side of the registry layer: HKEY_LOCAL_MACHINE in a text file.
#include "registry/registry_hive.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/error.h"
#include "common/file.h"
#include "common/fs.h"

namespace gs {

namespace {

// Rights that change the hive.
constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

bool WritableEntry(const std::string& path, const struct stat& st) {
  return ::access(path.c_str(), W_OK) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

std::string ParentOf(const std::string& path) {
  std::string dir = path;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  const size_t slash = dir.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : dir.substr(0, slash);
}

// Holds the writers' lock of a hive for as long as it lives.
class HiveLock {
 public:
  explicit HiveLock(const std::string& hivePath) {
    fd_ = ::open((hivePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      error_ = errno;
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        error_ = errno;
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~HiveLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;
  bool Held() const { return fd_ >= 0; }
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

LONG StatusOfErrno(int e) {
  switch (FileErrorNumber(e)) {
    case rt::PathFileAccessError: return e == EISDIR ? ERROR_REGISTRY_IO_FAILED : ERROR_ACCESS_DENIED;
    case rt::DiskFull: return ERROR_DISK_FULL;
    default: return ERROR_REGISTRY_IO_FAILED;
  }
}

// The hive as its file holds it now; no file is an empty hive. A file that
// is not a hive raises error 7777.
LONG ReadHive(const std::string& hivePath, RegFile& file) {
  const int fd = ::open(hivePath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) return StatusOfErrno(errno);
    file = RegFile();
    return ERROR_SUCCESS;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ERROR_REGISTRY_IO_FAILED;
  }
  std::string text(static_cast<size_t>(st.st_size), '\0');
  size_t got = 0;
  while (got < text.size()) {
    const ssize_t r = ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  if (got != text.size()) return ERROR_REGISTRY_IO_FAILED;
  file = RegFile::Parse(text, hivePath);
  return ERROR_SUCCESS;
}

}  // namespace

std::string HivePath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.config";
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    base = std::string(pw->pw_dir) + "/.config";
  } else {
    base = ".config";
  }
  return base + "/Glossmith/registry.reg";
}

bool MayWriteHive(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || !WritableEntry(path, st)) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  // The folder takes the new file and the lock file; when it does not exist
  // yet, the nearest folder above it has to take the new folders.
  for (std::string dir = ParentOf(path);; dir = ParentOf(dir)) {
    if (::stat(dir.c_str(), &st) == 0) {
      return S_ISDIR(st.st_mode) && WritableEntry(dir, st) && ::access(dir.c_str(), X_OK) == 0;
    }
    if (errno != ENOENT || dir == "/" || dir == ".") return false;
  }
}

HiveRegistry::Key* HiveRegistry::Find(HKEY hKey) {
  const auto value = reinterpret_cast<uintptr_t>(hKey);
  if (value == 0 || value % 4 != 0 || value / 4 > keys_.size()) return nullptr;
  Key& key = keys_[value / 4 - 1];
  return key.open ? &key : nullptr;
}

HKEY HiveRegistry::Allocate(std::string hivePath, std::string path, REGSAM access) {
  size_t slot = 0;
  while (slot < keys_.size() && keys_[slot].open) ++slot;
  if (slot == keys_.size()) keys_.emplace_back();
  keys_[slot] = Key{true, std::move(hivePath), std::move(path), access};
  return reinterpret_cast<HKEY>(static_cast<uintptr_t>((slot + 1) * 4));
}

LONG HiveRegistry::Resolve(HKEY hKey, LPCSTR subKey, std::string& hivePath, std::string& path) {
  if (hKey == HKEY_LOCAL_MACHINE) {
    hivePath = HivePath();
    path.clear();
  } else {
    const Key* key = Find(hKey);
    if (key == nullptr) return ERROR_INVALID_HANDLE;
    hivePath = key->hivePath;
    path = key->path;
  }
  std::string_view sub = subKey != nullptr ? subKey : "";
  if (!sub.empty() && sub.back() == '\\') sub.remove_suffix(1);
  if (sub.empty()) return ERROR_SUCCESS;
  if (!path.empty()) path += '\\';
  path += sub;
  return RegFile::IsValidKeyPath(path) ? ERROR_SUCCESS : ERROR_BAD_PATHNAME;
}

LONG HiveRegistry::Change(const std::string& hivePath, const std::function<LONG(RegFile&, bool&)>& change) {
  std::error_code ec;
  std::filesystem::create_directories(ParentOf(hivePath), ec);
  if (ec) return StatusOfErrno(ec.value());
  const HiveLock lock(hivePath);
  if (!lock.Held()) return StatusOfErrno(lock.Error());
  // Only a writer holding the lock has a temporary file beside the hive.
  RemoveLeftoverTemporaries(hivePath);

  // What another process wrote before the lock was ours counts.
  RegFile file;
  if (const LONG status = ReadHive(hivePath, file); status != ERROR_SUCCESS) return status;
  bool changed = false;
  LONG status = ERROR_SUCCESS;
  try {
    status = change(file, changed);
    if (!changed) return status;
    const std::string text = file.Serialize();
    WriteWholeFile(hivePath, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  } catch (const Error& e) {
    return e.Number() == rt::DiskFull ? ERROR_DISK_FULL : ERROR_REGISTRY_IO_FAILED;
  } catch (...) {
    return ERROR_REGISTRY_IO_FAILED;
  }
  return status;
}

LONG HiveRegistry::OpenKey(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result) {
  return Open(hKey, subKey, samDesired, result, false, nullptr);
}

LONG HiveRegistry::CreateKey(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result, LPDWORD disposition) {
  return Open(hKey, subKey, samDesired, result, true, disposition);
}

LONG HiveRegistry::Open(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result, bool create,
                        LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::lock_guard guard(mutex_);
  std::string hivePath, path;
  if (const LONG status = Resolve(hKey, subKey, hivePath, path); status != ERROR_SUCCESS) return status;
  RegFile file;
  if (const LONG status = ReadHive(hivePath, file); status != ERROR_SUCCESS) return status;
  bool created = false;
  if (!file.KeyExists(path)) {
    if (!create) return ERROR_FILE_NOT_FOUND;
    if (!MayWriteHive(hivePath)) return ERROR_ACCESS_DENIED;
    const LONG status = Change(hivePath, [&](RegFile& f, bool& changed) {
      changed = created = f.CreateKey(path);
      return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) return status;
  }
  if ((samDesired & kWriteRights) != 0 && !MayWriteHive(hivePath)) return ERROR_ACCESS_DENIED;
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = Allocate(std::move(hivePath), std::move(path), samDesired);
  return ERROR_SUCCESS;
}

LONG HiveRegistry::QueryValue(HKEY hKey, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                              LPDWORD size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(mutex_);
  std::string hivePath, path;
  if (const LONG status = Resolve(hKey, nullptr, hivePath, path); status != ERROR_SUCCESS) return status;
  if (hKey != HKEY_LOCAL_MACHINE && (Find(hKey)->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  RegFile file;
  if (const LONG status = ReadHive(hivePath, file); status != ERROR_SUCCESS) return status;
  if (!file.KeyExists(path)) return ERROR_KEY_DELETED;
  const RegValue* value = file.FindValue(path, valueName != nullptr ? valueName : "");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;

  if (type != nullptr) *type = value->type;
  if (size == nullptr) return ERROR_SUCCESS;
  const auto needed = static_cast<DWORD>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LONG HiveRegistry::SetValue(HKEY hKey, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                            DWORD size) {
  if (reserved != 0 || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
  const std::string_view name = valueName != nullptr ? valueName : "";
  for (char c : name) {
    if (static_cast<uint8_t>(c) < 0x20) return ERROR_INVALID_PARAMETER;  // would break the file's lines
  }
  std::lock_guard guard(mutex_);
  std::string hivePath, path;
  if (const LONG status = Resolve(hKey, nullptr, hivePath, path); status != ERROR_SUCCESS) return status;
  if (hKey == HKEY_LOCAL_MACHINE ? !MayWriteHive(hivePath) : (Find(hKey)->access & KEY_SET_VALUE) == 0) {
    return ERROR_ACCESS_DENIED;
  }
  RegValue value{type, Bytes(data, data + size)};
  return Change(hivePath, [&](RegFile& f, bool& changed) {
    if (!f.KeyExists(path)) return ERROR_KEY_DELETED;
    changed = f.SetValue(path, name, std::move(value));
    return ERROR_SUCCESS;
  });
}

LONG HiveRegistry::CloseKey(HKEY hKey) {
  if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  std::lock_guard guard(mutex_);
  Key* key = Find(hKey);
  if (key == nullptr) return ERROR_INVALID_HANDLE;
  *key = Key{};
  return ERROR_SUCCESS;
}

HiveRegistry& TheHiveRegistry() {
  static HiveRegistry registry;
  return registry;
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult) {
  return TheHiveRegistry().OpenKey(hKey, lpSubKey, samDesired, phkResult);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
  return TheHiveRegistry().QueryValue(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR /*lpClass*/, DWORD /*dwOptions*/,
                     REGSAM samDesired, const void* /*lpSecurityAttributes*/, PHKEY phkResult,
                     LPDWORD lpdwDisposition) {
  if (Reserved != 0) return ERROR_INVALID_PARAMETER;
  return TheHiveRegistry().CreateKey(hKey, lpSubKey, samDesired, phkResult, lpdwDisposition);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
  return TheHiveRegistry().SetValue(hKey, lpValueName, Reserved, dwType, lpData, cbData);
}

LONG RegCloseKey(HKEY hKey) {
  return TheHiveRegistry().CloseKey(hKey);
}

std::string RegistryLocation() {
  return HivePath();
}

}  // namespace gs
