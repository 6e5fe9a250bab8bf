#include <windows.h>

#include "tests/catalog/tool_double.h"

namespace gs::test {

std::string StartupWindowState() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  return "flags " + std::to_string(startup.dwFlags) + " show " + std::to_string(startup.wShowWindow);
}

}  // namespace gs::test
