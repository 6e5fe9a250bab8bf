// Windows: the test's keys go below a key of its own in the real
// HKEY_LOCAL_MACHINE, removed with everything below it afterwards.
#include "registry/registry_api.h"
// After the layer's header, whose names <windows.h> defines as macros.
#include <windows.h>

#include <atomic>
#include <string>

#include "tests/registry/scratch_hive.h"

namespace gs::testing {

namespace {
std::atomic<int> g_serial{0};

constexpr const char* kTestsKey = "Software\\Glossmith Tests";
}  // namespace

ScratchHive::ScratchHive() {
  folder_ = std::string(kTestsKey) + "\\" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(g_serial++);
}

ScratchHive::~ScratchHive() {
  // In the registry view that the store uses.
  HKEY tests = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestsKey, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &tests) == 0) {
    ::RegDeleteTreeA(tests, folder_.substr(folder_.rfind('\\') + 1).c_str());
    ::RegCloseKey(tests);
  }
}

std::string ScratchHive::Root() const {
  return folder_;
}

std::optional<bool> ScratchHive::KeyOpen() const {
  return std::nullopt;  // Windows does not tell
}

}  // namespace gs::testing
