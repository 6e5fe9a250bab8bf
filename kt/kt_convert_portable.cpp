// DeCoder and ReCoder for targets without SSE2: runs of ASCII are passed
// eight bytes at a time, everything else goes by the byte rules.
#include <cstring>

#include "kt/kt.h"
#include "kt/kt_rules.h"

namespace {

// From visited position i, passes words of eight ASCII bytes. A pair starts
// only at a byte of 0x80 or above, so each passed byte is visited and left
// alone, and the position returned is visited too.
inline uint32_t SkipAscii(const uint8_t* p, uint32_t i, uint32_t length) {
  while (length - i >= 8) {
    uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
    i += 8;
  }
  return i;
}

template <uint32_t (*Step)(uint8_t*, uint32_t)>
int32_t Convert(uint8_t* buffer, uint32_t length) {
  uint32_t i = 0;
  while (i + 1 < length) {
    i = SkipAscii(buffer, i, length);
    if (i + 1 >= length) break;
    i = Step(buffer, i);
  }
  return static_cast<int32_t>(length);
}

}  // namespace

extern "C" int32_t KT_CALL DeCoder(uint8_t* buffer, uint32_t length) {
  return Convert<kt::DecodeAt>(buffer, length);
}

extern "C" int32_t KT_CALL ReCoder(uint8_t* buffer, uint32_t length) {
  return Convert<kt::EncodeAt>(buffer, length);
}
