#include "tools/install/installation.h"

namespace gs {

std::string RegistryRefusalAdvice() {
  return "Kt06 opens its keys below HKEY_LOCAL_MACHINE with full access, which takes administrator rights: "
         "run glossmith install, and Kt06, as an administrator.";
}

}  // namespace gs
