#include "registry/bas_registry.h"

#include <algorithm>

#include "common/error.h"
#include "registry/reg_values.h"

namespace gs {

namespace {

constexpr DWORD kTextBufferSize = 255;

[[noreturn]] void RaiseRead(const char* source, const char* description) {
  throw Error(ErrRegRead, description, source);
}

}  // namespace

std::string GetRegString(HKEY hive, const std::string& keyPath, const std::string& valueName) {
  ScopedKey key;
  if (RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) {
    RaiseRead("GetRegString", "RegOpenKeyEx failed!");
  }
  std::string buffer(kTextBufferSize, ' ');
  DWORD size = kTextBufferSize;
  const LONG status = RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr,
                                       reinterpret_cast<LPBYTE>(buffer.data()), &size);
  key.Close();
  if (status != ERROR_SUCCESS) RaiseRead("GetRegString", "RegQueryValueEx failed!");
  // The last byte is the terminating NUL.
  return size > 1 ? buffer.substr(0, std::min(size, kTextBufferSize) - 1) : std::string();
}

int32_t GetRegDWord(HKEY hive, const std::string& keyPath, const std::string& valueName) {
  ScopedKey key;
  if (RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS) {
    RaiseRead("GetRegDWord", "RegOpenKeyEx failed!");
  }
  BYTE data[4] = {0, 0, 0, 0};
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr, data, &size);
  key.Close();
  if (status != ERROR_SUCCESS) RaiseRead("GetRegDWord", "RegQueryValueEx failed!");
  return static_cast<int32_t>(static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                              static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24);
}

void SetRegDWord(HKEY hive, const std::string& keyPath, const std::string& valueName, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  const BYTE data[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8), static_cast<BYTE>(bits >> 16),
                        static_cast<BYTE>(bits >> 24)};
  StoreRegValue("SetRegDWord", hive, keyPath, valueName, REG_DWORD, data);
}

}  // namespace gs
