// POSIX only: running a piece of a test in a forked child process, under
// limits that the test's own process must not take on, or ended without
// cleaning up, as a killed program is; the memory a program takes.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace gs::test {

inline constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();

// Runs body in a child whose files cannot grow past fileSizeLimit bytes: a
// write beyond fails with EFBIG, which the file layer takes for a full disk.
// Returns 0 when body returned, the number of the gs::Error it raised (255
// for numbers past 253), or -1 for anything else. A body may end the child
// itself with _exit, skipping every destructor.
int ErrorInChild(const std::function<void()>& body, uint64_t fileSizeLimit = kNoLimit);

// Runs a program to its end, its output discarded; returns the most memory
// it held at once (its peak resident set), in bytes. On Linux that counts
// what the calling process held when it started the program, too.
uint64_t PeakMemoryOf(const std::vector<std::string>& argv);

}  // namespace gs::test
