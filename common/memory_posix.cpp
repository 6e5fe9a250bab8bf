// POSIX side of the memory hints: transparent huge pages through madvise, and
// the whole buffer mapped in one call.
#include <sys/mman.h>

#include <cstdint>

#include "common/memory.h"

namespace gs {

void AdviseLargePages(void* data, size_t size) noexcept {
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kPage = 4096;
  constexpr size_t kLargePage = 2u << 20;
  if (size < kLargePage) return;
  // The pages around the buffer are taken in as well: a buffer of this size
  // has a mapping of its own, which starts a few bytes before it, and the
  // hint must cover whole large pages to take effect.
  const auto begin = reinterpret_cast<uintptr_t>(data) & ~(kPage - 1);
  const auto end = (reinterpret_cast<uintptr_t>(data) + size + kPage - 1) & ~(kPage - 1);
  ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  // One call maps every page of the buffer; touching fresh pages one by one
  // costs a fault each, which in a virtual machine takes several times
  // longer than filling the page. Contents stay as they are; kernels before
  // 5.14 refuse the call and the pages come by faults as before.
  ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace gs
