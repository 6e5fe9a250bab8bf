#include "tools/install/installation.h"

namespace gs {

std::string RegistryRefusalAdvice() {
  return "Kt06 opens its keys with full access, so the hive file and its folder have to be writable by you "
         "(XDG_CONFIG_HOME may name a folder of your own to keep them in).";
}

}  // namespace gs
