// POSIX stand-in for the Windows registry: HKEY_LOCAL_MACHINE kept in one
// registry-export text file (see reg_file.h), by default
// $XDG_CONFIG_HOME/Glossmith/registry.reg or ~/.config/Glossmith/registry.reg.
//
// - Every call reads the current file whole (it holds a handful of values).
// - Every change is made under an exclusive lock on "registry.reg.lock",
//   applied to the file as read under that lock, written to a temporary file
//   and renamed into place: writers in several processes lose nothing, and a
//   crash leaves the old file or the new one.
// - A hive that the user cannot change refuses every open that asks for a
//   right to change it, KEY_ALL_ACCESS included.
// - A file that is not a hive raises gs::Error 7777 naming the file and line;
//   it is never overwritten.
#pragma once

#include <functional>
#include <mutex>
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

// The module's state: the open key handles. Handles are small numbers, the
// lowest free one given first, as file descriptors are. The registry
// functions use TheHiveRegistry(); tests may make their own.
class HiveRegistry {
 public:
  HiveRegistry() = default;
  HiveRegistry(const HiveRegistry&) = delete;
  HiveRegistry& operator=(const HiveRegistry&) = delete;

  LONG OpenKey(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result);
  LONG CreateKey(HKEY hKey, LPCSTR subKey, REGSAM samDesired, PHKEY result, LPDWORD disposition);
  LONG QueryValue(HKEY hKey, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
  LONG SetValue(HKEY hKey, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
  LONG CloseKey(HKEY hKey);

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
  LONG Change(const std::string& hivePath, const std::function<LONG(RegFile&, bool&)>& change);
  HKEY Allocate(std::string hivePath, std::string path, REGSAM access);

  std::mutex mutex_;
  std::vector<Key> keys_;
};

HiveRegistry& TheHiveRegistry();

}  // namespace gs
