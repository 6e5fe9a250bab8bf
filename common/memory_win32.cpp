// Windows side of the memory hints: large pages need a privilege that a
// desktop user does not hold, so the hint is not passed on.
#include "common/memory.h"

namespace gs {

void AdviseLargePages(void*, size_t) noexcept {}

}  // namespace gs
