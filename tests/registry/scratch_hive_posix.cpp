#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/registry/scratch_hive.h"

namespace gs::testing {

namespace fs = std::filesystem;

ScratchHive::ScratchHive() {
  std::string pattern = (fs::temp_directory_path() / "gs-registry-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  folder_ = pattern;
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
    hadConfigHome_ = true;
    savedConfigHome_ = old;
  }
  ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  // The handles the hive gives first, while none is open.
  for (HKEY& key : firstHandles_ = std::vector<HKEY>(8)) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &key) != ERROR_SUCCESS) std::abort();
  }
  for (HKEY key : firstHandles_) RegCloseKey(key);
}

ScratchHive::~ScratchHive() {
  if (hadConfigHome_) {
    ::setenv("XDG_CONFIG_HOME", savedConfigHome_.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  // Folders a test made read-only have to be writable again to go.
  std::error_code ec;
  fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (const auto& entry : fs::recursive_directory_iterator(folder_, ec)) {
    if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(folder_, ec);
}

std::string ScratchHive::Root() const {
  return "Software\\Glossmith Tests";
}

std::optional<bool> ScratchHive::KeyOpen() const {
  // A leaked handle holds the lowest of them; closing it tells.
  bool open = false;
  for (HKEY key : firstHandles_) open = RegCloseKey(key) == ERROR_SUCCESS || open;
  return open;
}

}  // namespace gs::testing
