// POSIX side of run-time library loading.
#include <dlfcn.h>

#include "common/dynamic_library.h"

namespace gs {

DynamicLibrary::~DynamicLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(other.handle_), lastError_(std::move(other.lastError_)) {
  other.handle_ = nullptr;
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = other.handle_;
    lastError_ = std::move(other.lastError_);
    other.handle_ = nullptr;
  }
  return *this;
}

bool DynamicLibrary::Load(const std::string& path) {
  void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h == nullptr) {
    const char* why = ::dlerror();
    lastError_ = why != nullptr ? why : "cannot load " + path;
    return false;
  }
  if (handle_ != nullptr) ::dlclose(handle_);
  handle_ = h;
  lastError_.clear();
  return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : ::dlsym(handle_, name);
}

std::string DynamicLibrary::FileName(const std::string& name) {
  return "lib" + name + ".so";
}

}  // namespace gs
