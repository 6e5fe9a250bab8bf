#include "tools/glossmith/standard_output.h"

namespace gs::cli {

void UseBinaryStandardOutput() {}  // POSIX streams never translate

}  // namespace gs::cli
