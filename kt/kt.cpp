#include "kt/kt.h"

#include <cstring>

namespace {

// Runs of ASCII need no work: eight bytes are tested at once and skipped when
// none has its top bit set. A pair starts only at a byte of 0x80 or above, so
// skipping ASCII bytes never skips the start of a pair.
inline uint32_t SkipAscii(const uint8_t* p, uint32_t i, uint32_t length) {
  while (i + 8 <= length) {
    uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
    i += 8;
  }
  return i;
}

// The two-byte UTF-8 form of a code point below 0x800.
inline void PutUtf8(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(0xC0 | (v >> 6));
  p[1] = static_cast<uint8_t>(0x80 | (v & 0x3F));
}

}  // namespace

extern "C" int32_t KT_CALL DeCoder(uint8_t* buffer, uint32_t length) {
  uint32_t i = 0;
  while (i + 1 < length) {
    i = SkipAscii(buffer, i, length);
    if (i + 1 >= length) break;
    const uint8_t a = buffer[i];
    const uint8_t b = buffer[i + 1];
    if (a == 0xC2 && b == 0xA8) {  // U+00A8 -> U+0401 Ё
      buffer[i] = 0xD0;
      buffer[i + 1] = 0x81;
      i += 2;
    } else if (a == 0xC2 && b == 0xB8) {  // U+00B8 -> U+0451 ё
      buffer[i] = 0xD1;
      buffer[i + 1] = 0x91;
      i += 2;
    } else if (a == 0xC3) {  // U+00C0..U+00FF -> U+0410..U+044F
      PutUtf8(buffer + i, 0x0410u + (b & 0x3Fu));
      i += 2;
    } else {
      ++i;
    }
  }
  return static_cast<int32_t>(length);
}

extern "C" int32_t KT_CALL ReCoder(uint8_t* buffer, uint32_t length) {
  uint32_t i = 0;
  while (i + 1 < length) {
    i = SkipAscii(buffer, i, length);
    if (i + 1 >= length) break;
    const uint8_t a = buffer[i];
    const uint8_t b = buffer[i + 1];
    if (a == 0xD0 && b == 0x81) {
      buffer[i] = 0xC2;
      buffer[i + 1] = 0xA8;
      i += 2;
    } else if (a == 0xD1 && b == 0x91) {
      buffer[i] = 0xC2;
      buffer[i + 1] = 0xB8;
      i += 2;
    } else if (a == 0xD0 || a == 0xD1) {
      // The Cyrillic block moves down by 0x350 onto its Windows-1251 codes.
      const uint32_t u = ((a & 0x3Fu) << 6) | (b & 0x3Fu);
      PutUtf8(buffer + i, u - 0x350u);
      i += 2;
    } else {
      ++i;
    }
  }
  return static_cast<int32_t>(length);
}
