// POSIX only: running a piece of a test in a forked child process, under
// limits that the test's own process must not take on, or ended without
// cleaning up, as a killed program is.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

namespace gs::test {

inline constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();

// Runs body in a child whose files cannot grow past fileSizeLimit bytes: a
// write beyond fails with EFBIG, which the file layer takes for a full disk.
// Returns 0 when body returned, the number of the gs::Error it raised (255
// for numbers past 253), or -1 for anything else. A body may end the child
// itself with _exit, skipping every destructor.
int ErrorInChild(const std::function<void()>& body, uint64_t fileSizeLimit = kNoLimit);

// Runs body in a child; returns the most memory the child held at once
// (its peak resident set), in bytes.
uint64_t PeakMemoryOfChild(const std::function<void()>& body);

}  // namespace gs::test
