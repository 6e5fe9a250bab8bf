#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tools/glossmith/standard_output.h"

namespace gs::cli {

void UseBinaryStandardOutput() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace gs::cli
