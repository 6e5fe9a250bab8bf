// RefPack decompression on arbitrary bytes, and on the input compressed by
// the tests' compressor. Whatever the decoder accepts must be exactly the
// size its header declares; compressed input must come back whole. The
// address checker catches any read or write out of bounds.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "tests/support/refpack_pack.h"
#include "archive/refpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  if (gs::refpack::IsCompressed(input)) {
    gs::fuzz::Tolerating([&] {
      const gs::Bytes out = gs::refpack::Decompress(input, "fuzz");
      const size_t field = (data[0] & 0x80) != 0 ? 4 : 3;
      const size_t at = 2 + ((data[0] & 1) != 0 ? field : 0);
      uint64_t declared = 0;
      for (size_t i = 0; i < field; ++i) declared = declared << 8 | data[at + i];
      gs::fuzz::Expect(out.size() == declared, "the output has the declared size");
    });
  }
  const gs::test::RefPackHeader header{size > 0 && (data[0] & 1) != 0, size > 0 && (data[0] & 2) != 0};
  gs::fuzz::Succeeding(
      [&] {
        const gs::Bytes back = gs::refpack::Decompress(gs::test::RefPackCompress(input, header), "fuzz");
        gs::fuzz::Expect(back == gs::Bytes(input.begin(), input.end()), "compressed input comes back whole");
      },
      "compressed input decodes");
  return 0;
}
