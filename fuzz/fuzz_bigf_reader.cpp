// Feeds arbitrary bytes to the BIGF index reader. Whatever it accepts must
// lie inside the input: the harness touches every accepted entry's first and
// last byte, so the address checker catches any bound the reader missed, and
// the conventions read must describe the input.
#include <cstddef>
#include <cstdint>

#include "common/error.h"
#include "archive/bigf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const gs::bigf::Index index = gs::bigf::ParseIndex({data, size}, "fuzz.viv");
    if (index.HeaderLength > size || index.IndexEnd > index.HeaderLength || index.DataStart > size ||
        index.IndexEnd + index.Kept.Gap.size() > index.DataStart) {
      __builtin_trap();
    }
    volatile uint8_t sink = 0;
    for (const gs::bigf::Entry& e : index.Entries) {
      if (e.Size > 0) sink = sink ^ data[e.Offset] ^ data[uint64_t{e.Offset} + e.Size - 1];
      if (index.Find(e.Name) == nullptr) __builtin_trap();
    }
  } catch (const gs::Error&) {
  }
  return 0;
}
