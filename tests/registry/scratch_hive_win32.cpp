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
}

ScratchHive::ScratchHive() {
  folder_ = "Software\\Glossmith Tests\\" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(g_serial++);
}

ScratchHive::~ScratchHive() {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, folder_.c_str());
}

std::string ScratchHive::Root() const {
  return folder_;
}

std::optional<size_t> ScratchHive::OpenKeyCount() const {
  return std::nullopt;  // Windows does not tell
}

}  // namespace gs::testing
