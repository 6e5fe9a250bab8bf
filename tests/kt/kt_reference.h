// DeCoder and ReCoder written straight from their rules, one byte at a
// time, for the tests and the fuzz target to hold the library against.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt_reference {

inline void PutUtf8(uint8_t* p, unsigned v) {
  p[0] = static_cast<uint8_t>(0xC0 | (v >> 6));
  p[1] = static_cast<uint8_t>(0x80 | (v & 0x3F));
}

inline void DeCoder(uint8_t* b, size_t n) {
  for (size_t i = 0; i + 1 < n;) {
    if (b[i] == 0xC2 && b[i + 1] == 0xA8) {
      b[i] = 0xD0;
      b[i + 1] = 0x81;
      i += 2;
    } else if (b[i] == 0xC2 && b[i + 1] == 0xB8) {
      b[i] = 0xD1;
      b[i + 1] = 0x91;
      i += 2;
    } else if (b[i] == 0xC3) {
      PutUtf8(&b[i], 0x410 + (b[i + 1] & 0x3F));
      i += 2;
    } else {
      ++i;
    }
  }
}

inline void ReCoder(uint8_t* b, size_t n) {
  for (size_t i = 0; i + 1 < n;) {
    if (b[i] == 0xD0 && b[i + 1] == 0x81) {
      b[i] = 0xC2;
      b[i + 1] = 0xA8;
      i += 2;
    } else if (b[i] == 0xD1 && b[i + 1] == 0x91) {
      b[i] = 0xC2;
      b[i + 1] = 0xB8;
      i += 2;
    } else if (b[i] == 0xD0 || b[i] == 0xD1) {
      PutUtf8(&b[i], (((b[i] & 0x3Fu) << 6) | (b[i + 1] & 0x3Fu)) - 0x350u);
      i += 2;
    } else {
      ++i;
    }
  }
}

}  // namespace kt_reference
