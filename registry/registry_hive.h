// POSIX stand-in for the Windows registry: HKEY_LOCAL_MACHINE kept in one
// registry-export text file (see reg_file.h), by default
// $XDG_CONFIG_HOME/Glossmith/registry.reg or ~/.config/Glossmith/registry.reg.
//
// - Every query reads the current file; it is parsed again only when it changed.
// - Every change is made under an exclusive lock on "registry.reg.lock",
//   applied to the file as read under that lock, written to a temporary file
//   and renamed into place: writers in several processes lose nothing, and a
//   crash leaves the old file or the new one.
// - A hive that the user cannot change refuses every open that asks for a
//   right to change it, KEY_ALL_ACCESS included.
// - A file that is not a hive raises gs::Error 7777 naming the file and line;
//   it is never overwritten.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "registry/reg_file.h"
#include "registry/registry_api.h"

namespace gs {

// The hive file of this user.
std::string HivePath();

// True when this user may change the hive file at path: the file, if it
// exists, and its folder (or the nearest one above it that exists) are
// writable. The mode bits count too, because access() grants root everything.
bool MayWriteHive(const std::string& path);

// The hive as a HiveRegistry last read it. fd keeps that file open, so that
// its inode number cannot be given to a newer file while the identity below
// is compared.
struct HiveSnapshot {
  std::string path;
  int fd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};
  RegFile file;
};

// The module's state: the open key handles and the last hive read. The
// registry functions use TheHiveRegistry(); tests may make their own.
class HiveRegistry {
 public:
  HiveRegistry() = default;
  ~HiveRegistry();
  HiveRegistry(const HiveRegistry&) = delete;
  HiveRegistry& operator=(const HiveRegistry&) = delete;

  LONG OpenKey(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result);
  LONG CreateKey(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result, LPDWORD disposition);
  LONG QueryValue(HKEY hKey, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
  LONG SetValue(HKEY hKey, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
  LONG CloseKey(HKEY hKey);

  // Key handles open now.
  size_t OpenKeyCount() const;
  // How often a hive file was parsed (the cache's effect can be measured).
  size_t ParseCount() const { return parses_; }

 private:
  struct Key {
    bool open = false;
    std::string hivePath;
    std::string path;  // below HKEY_LOCAL_MACHINE
    REGSAM access = 0;
  };
  LONG Open(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result, bool create, LPDWORD disposition);
  LONG Resolve(HKEY hKey, LPCSTR subKey, std::string& hivePath, std::string& path);
  Key* Find(HKEY hKey);
  LONG Load(const std::string& hivePath, RegFile*& file);
  LONG Change(const std::string& hivePath, const std::function<LONG(RegFile&, bool&)>& change);
  void Forget();
  HKEY Allocate(std::string hivePath, std::string path, REGSAM access);

  mutable std::mutex mutex_;
  std::vector<Key> keys_;
  std::optional<HiveSnapshot> snapshot_;
  size_t parses_ = 0;
};

HiveRegistry& TheHiveRegistry();

}  // namespace gs
