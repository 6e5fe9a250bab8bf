// MaskControlBytes for targets without SSE2, eight bytes at a time.
#include <cstring>

#include "formats/field_codec.h"

namespace gs {

void MaskControlBytes(std::span<uint8_t> bytes) {
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  uint8_t* p = bytes.data();
  size_t n = bytes.size();
  // Eight bytes at a time: a byte is masked when its top bit is clear, its
  // low seven bits are not zero and it is below 0x20. The sums stay within
  // each byte, so no carry crosses into the next.
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    const uint64_t low = w & kLow7;
    const uint64_t below20 = ~(low + 0x6060606060606060ULL) & kHigh;
    const uint64_t nonZero = (low + kLow7) & kHigh;
    const uint64_t hit = below20 & nonZero & ~w;
    if (hit == 0) continue;
    const uint64_t select = (hit >> 7) * 0xFF;
    w = (w & ~select) | (0x4040404040404040ULL & select);
    std::memcpy(p, &w, 8);
  }
  for (; n > 0; ++p, --n) {
    *p = static_cast<uint8_t>(*p - 1u) < 0x1F ? static_cast<uint8_t>('@') : *p;
  }
}

}  // namespace gs
