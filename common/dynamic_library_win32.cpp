// Windows side of run-time library loading.
#include <windows.h>

#include "common/dynamic_library.h"

namespace gs {

DynamicLibrary::~DynamicLibrary() {
  if (handle_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(handle_));
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(other.handle_), lastError_(std::move(other.lastError_)) {
  other.handle_ = nullptr;
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = other.handle_;
    lastError_ = std::move(other.lastError_);
    other.handle_ = nullptr;
  }
  return *this;
}

bool DynamicLibrary::Load(const std::string& path) {
  HMODULE h = ::LoadLibraryA(path.c_str());
  if (h == nullptr) {
    lastError_ = "LoadLibrary failed with error " + std::to_string(::GetLastError()) + ": " + path;
    return false;
  }
  if (handle_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = h;
  lastError_.clear();
  return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string DynamicLibrary::FileName(const std::string& name) {
  return name + ".dll";
}

}  // namespace gs
