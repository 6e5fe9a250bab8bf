#include "registry/reg_values.h"

#include "common/error.h"
#include "registry/bas_registry.h"

namespace gs {

namespace {

// A full disk is what it is, not a registry that refuses the change.
void RaiseIfDiskFull(LONG status) {
  if (status == ERROR_DISK_FULL) RaiseRuntime(rt::DiskFull, RegistryLocation());
}

}  // namespace

void StoreRegValue(const char* source, HKEY hive, const std::string& keyPath, const std::string& valueName,
                   DWORD type, std::span<const BYTE> data) {
  ScopedKey key;
  DWORD disposition = 0;
  LONG status = RegCreateKeyExA(hive, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, key.Receive(), &disposition);
  if (status != ERROR_SUCCESS) {
    RaiseIfDiskFull(status);
    throw Error(ErrRegCreateKey, "RegCreateKeyEx failed!", source);
  }
  status =
      RegSetValueExA(key.Get(), valueName.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
  key.Close();
  if (status != ERROR_SUCCESS) {
    RaiseIfDiskFull(status);
    throw Error(ErrRegSetValue, "RegSetValueEx failed!", source);
  }
}

void SetRegString(HKEY hive, const std::string& keyPath, const std::string& valueName,
                  const std::string& text) {
  // c_str() ends in the NUL that a REG_SZ keeps.
  StoreRegValue("SetRegString", hive, keyPath, valueName, REG_SZ,
                {reinterpret_cast<const BYTE*>(text.c_str()), text.size() + 1});
}

bool RegValueExists(HKEY hive, const std::string& keyPath, const std::string& valueName) {
  ScopedKey key;
  LONG status = RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_READ, key.Receive());
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) throw Error(ErrRegRead, "RegOpenKeyEx failed!", "RegValueExists");
  DWORD size = 0;
  status = RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr, &size);
  key.Close();
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) throw Error(ErrRegRead, "RegQueryValueEx failed!", "RegValueExists");
  return true;
}

}  // namespace gs
