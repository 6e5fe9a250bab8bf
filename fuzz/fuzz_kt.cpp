// DeCoder and ReCoder on arbitrary bytes against their byte-at-a-time rules,
// through the exports and, on x86-64, through each vector path on its own.
// The library gets a heap buffer of exactly the input's length, so any access
// past it is caught; the input's first byte picks a start inside it, and the
// bytes before that start must stay untouched.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "kt/kt.h"
#include "tests/kt/kt_reference.h"

#if KT_FUZZ_X86_PATHS
#include "kt/kt_paths.h"
#endif

namespace {

using Convert = int32_t (*)(uint8_t*, uint32_t);

void Check(const uint8_t* data, size_t size, size_t start, Convert convert, bool decode) {
  std::vector<uint8_t> expected(data, data + size);
  if (decode) {
    kt_reference::DeCoder(expected.data() + start, size - start);
  } else {
    kt_reference::ReCoder(expected.data() + start, size - start);
  }
  auto buffer = std::make_unique<uint8_t[]>(size);
  std::memcpy(buffer.get(), data, size);
  const auto length = static_cast<uint32_t>(size - start);
  if (convert(buffer.get() + start, length) != static_cast<int32_t>(length) ||
      std::memcmp(buffer.get(), expected.data(), size) != 0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t start = data[0] % 32 < size ? data[0] % 32 : 0;
  Check(
      data, size, start, [](uint8_t* b, uint32_t n) { return DeCoder(b, n); }, true);
  Check(
      data, size, start, [](uint8_t* b, uint32_t n) { return ReCoder(b, n); }, false);
#if KT_FUZZ_X86_PATHS
  Check(data, size, start, kt::DecodeSse2, true);
  Check(data, size, start, kt::EncodeSse2, false);
  if (kt::HasAvx2()) {
    Check(data, size, start, kt::DecodeAvx2, true);
    Check(data, size, start, kt::EncodeAvx2, false);
  }
#endif
  return 0;
}
