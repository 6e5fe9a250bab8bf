#include "tests/catalog/tool_double.h"

namespace gs::test {

std::string StartupWindowState() {
  return {};
}

}  // namespace gs::test
