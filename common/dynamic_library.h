// A shared library loaded by name at run time (dynamic_library_posix.cpp,
// dynamic_library_win32.cpp). It stays loaded until the object goes away.
#pragma once

#include <string>

namespace gs {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads the library file at path. Returns false (and keeps the reason in
  // LastError()) when it cannot be loaded.
  bool Load(const std::string& path);
  bool IsLoaded() const noexcept { return handle_ != nullptr; }
  // The address of an exported symbol, or nullptr.
  void* Symbol(const char* name) const;
  const std::string& LastError() const noexcept { return lastError_; }

  // The platform's file name of a library called name: "libname.so" or "name.dll".
  static std::string FileName(const std::string& name);

 private:
  void* handle_ = nullptr;
  std::string lastError_;
};

}  // namespace gs
