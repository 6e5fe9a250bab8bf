// DeCoder and ReCoder on arbitrary bytes against their byte-at-a-time rules.
// The library gets a heap buffer of exactly the input's length, so any access
// past it is caught; the input's first byte picks a start inside it, and the
// bytes before that start must stay untouched.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "kt/kt.h"
#include "tests/kt/kt_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t start = data[0] % 32 < size ? data[0] % 32 : 0;
  for (bool decode : {true, false}) {
    std::vector<uint8_t> expected(data, data + size);
    if (decode) {
      kt_reference::DeCoder(expected.data() + start, size - start);
    } else {
      kt_reference::ReCoder(expected.data() + start, size - start);
    }
    auto buffer = std::make_unique<uint8_t[]>(size);
    std::memcpy(buffer.get(), data, size);
    const auto length = static_cast<uint32_t>(size - start);
    const int32_t result =
        decode ? DeCoder(buffer.get() + start, length) : ReCoder(buffer.get() + start, length);
    if (result != static_cast<int32_t>(length) || std::memcmp(buffer.get(), expected.data(), size) != 0) {
      std::abort();
    }
  }
  return 0;
}
