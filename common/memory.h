// Memory of the platform layer (memory_posix.cpp, memory_win32.cpp).
#pragma once

#include <cstddef>

namespace gs {

// Asks the system to back a large buffer that has not been touched yet with
// large pages and to map all of it at once, so that filling it costs one call
// instead of a page fault per 4 KiB. A hint only: where the system has no
// such pages or calls nothing changes.
void AdviseLargePages(void* data, size_t size) noexcept;

// Reserves room for count elements in a vector and gives the hint above for
// its new storage.
template <typename Vector>
void ReserveLarge(Vector& buffer, size_t count) {
  buffer.reserve(count);
  AdviseLargePages(buffer.data(), buffer.capacity() * sizeof(*buffer.data()));
}

}  // namespace gs
