#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "tools/install/wine_prefix.h"

namespace gs {

std::vector<std::string> DefaultWinePrefixes() {
  std::vector<std::string> prefixes;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
    prefixes.emplace_back(prefix);
  }
  // Wine's own default, in the home folder that Wine itself takes.
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = ::getpwuid(::getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home != nullptr && *home != '\0') prefixes.push_back(std::string(home) + "/.wine");
  return prefixes;
}

}  // namespace gs
