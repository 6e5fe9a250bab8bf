// The byte-pair rules of DeCoder and ReCoder, one scan position at a time.
// The scan visits positions from 0 on; at a visited position i it converts
// the pair i, i + 1 when a rule applies and goes on at i + 2, and otherwise
// goes on at i + 1. Every faster path of the library must give exactly what
// these rules give.
#pragma once

#include <stdint.h>

namespace kt {
// Files of the library built for other instruction sets include this too;
// each keeps its own copy, so that none borrows another's instructions.
namespace {

// The two-byte UTF-8 form of a code point below 0x800.
inline void PutUtf8(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(0xC0 | (v >> 6));
  p[1] = static_cast<uint8_t>(0x80 | (v & 0x3F));
}

// Stored form to edit form at visited position i (i + 1 within the buffer);
// returns the next position the scan visits.
inline uint32_t DecodeAt(uint8_t* p, uint32_t i) {
  const uint8_t a = p[i];
  const uint8_t b = p[i + 1];
  if (a == 0xC3) {  // U+00C0..U+00FF -> U+0410..U+044F
    PutUtf8(p + i, 0x0410u + (b & 0x3Fu));
    return i + 2;
  }
  if (a == 0xC2 && (b == 0xA8 || b == 0xB8)) {  // U+00A8 -> Ё, U+00B8 -> ё
    p[i] = b == 0xA8 ? 0xD0 : 0xD1;
    p[i + 1] = b == 0xA8 ? 0x81 : 0x91;
    return i + 2;
  }
  return i + 1;
}

// Edit form to stored form at visited position i; as DecodeAt.
inline uint32_t EncodeAt(uint8_t* p, uint32_t i) {
  const uint8_t a = p[i];
  const uint8_t b = p[i + 1];
  if (a != 0xD0 && a != 0xD1) return i + 1;
  if (a == 0xD0 && b == 0x81) {  // Ё
    p[i] = 0xC2;
    p[i + 1] = 0xA8;
  } else if (a == 0xD1 && b == 0x91) {  // ё
    p[i] = 0xC2;
    p[i + 1] = 0xB8;
  } else {
    // The Cyrillic block moves down by 0x350 onto its Windows-1251 codes.
    PutUtf8(p + i, (((a & 0x3Fu) << 6) | (b & 0x3Fu)) - 0x350u);
  }
  return i + 2;
}

// Runs the scan from visited position i until it visits a position at or
// after stop, which must not pass the last pair start (length - 1); returns
// that position.
template <uint32_t (*Step)(uint8_t*, uint32_t)>
inline uint32_t ScanTo(uint8_t* p, uint32_t i, uint32_t stop) {
  while (i < stop) i = Step(p, i);
  return i;
}

}  // namespace
}  // namespace kt
