// Windows side of the registry layer: advapi32's own functions.
#include "registry/registry_api.h"
// After the layer's header, whose names <windows.h> defines as macros.
#include <windows.h>

namespace gs {

namespace {

// advapi32 takes its own DWORD (unsigned long); a null pointer stays null.
class DwordArg {
 public:
  explicit DwordArg(DWORD* p) : p_(p), v_(p != nullptr ? *p : 0) {}
  ~DwordArg() {
    if (p_ != nullptr) *p_ = static_cast<DWORD>(v_);
  }
  DwordArg(const DwordArg&) = delete;
  DwordArg& operator=(const DwordArg&) = delete;
  ::DWORD* Get() { return p_ != nullptr ? &v_ : nullptr; }

 private:
  DWORD* p_;
  ::DWORD v_;
};

// The game's 32-bit installer writes its key into the 32-bit view of the
// registry, where the program's own settings have always been kept too. A
// 64-bit build asks for that view; for a 32-bit build it is the only one.
constexpr REGSAM kView = KEY_WOW64_32KEY;

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  return ::RegOpenKeyExA(hKey, lpSubKey, ulOptions, samDesired | kView, phkResult);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
  DwordArg reserved(lpReserved), type(lpType), size(lpcbData);
  return ::RegQueryValueExA(hKey, lpValueName, reserved.Get(), type.Get(), lpData, size.Get());
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const void* lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition) {
  DwordArg disposition(lpdwDisposition);
  return ::RegCreateKeyExA(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired | kView,
                           static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(lpSecurityAttributes)),
                           phkResult, disposition.Get());
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
  return ::RegSetValueExA(hKey, lpValueName, Reserved, dwType, lpData, cbData);
}

LONG RegCloseKey(HKEY hKey) {
  return ::RegCloseKey(hKey);
}

std::string RegistryLocation() {
  return "HKEY_LOCAL_MACHINE";
}

}  // namespace gs
