#include "tools/install/wine_prefix.h"

namespace gs {

std::vector<std::string> DefaultWinePrefixes() {
  return {};  // the game runs on Windows itself; its folder is given by hand
}

}  // namespace gs
