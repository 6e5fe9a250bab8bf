// The part of ShellWait that all platforms share.
#include "catalog/shell_wait.h"

#include "common/error.h"

namespace gs {

void RaiseFileMissing(const std::string& path) {
  Raise(rt::FileNotFound, "The file \"" + path + "\" does not exist or cannot be read.");
}

}  // namespace gs
