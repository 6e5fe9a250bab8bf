#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "registry/registry_hive.h"
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

std::optional<size_t> ScratchHive::OpenKeyCount() const {
  return TheHiveRegistry().OpenKeyCount();
}

}  // namespace gs::testing
