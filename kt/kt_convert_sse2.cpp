// DeCoder and ReCoder on x86-64: sixteen scan positions at a time with SSE2.
//
// A block is the sixteen positions from a visited position i on; the pair
// starting at each needs the byte after it, so a block needs i + 16 within
// the buffer. A position is a candidate when the pair starting there would
// be converted if the scan visited it. When no two candidates of a block are
// neighbours, the scan visits every candidate (a converted pair passes only
// its second byte, which is no candidate), so all of them are converted at
// once. A block with neighbouring candidates, which valid UTF-8 never has,
// goes by the byte rules.
#include <emmintrin.h>

#include "kt/kt.h"
#include "kt/kt_rules.h"

namespace {

inline __m128i Bytes(int value) {
  return _mm_set1_epi8(static_cast<char>(value));
}

inline __m128i Equal(__m128i v, int value) {
  return _mm_cmpeq_epi8(v, Bytes(value));
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Stored form to edit form. a holds the first bytes of the pairs, b the
// second bytes.
struct Decode {
  static constexpr uint32_t (*Step)(uint8_t*, uint32_t) = kt::DecodeAt;

  // C3 with any byte, C2 with A8 or B8 (b | 0x10 is B8 for just these two).
  static __m128i Candidates(__m128i a, __m128i b) {
    const __m128i yo = Equal(_mm_or_si128(b, Bytes(0x10)), 0xB8);
    return _mm_or_si128(Equal(a, 0xC3), _mm_and_si128(Equal(a, 0xC2), yo));
  }

  static void Pairs(__m128i a, __m128i b, __m128i& first, __m128i& second) {
    // C3 b: U+0410 + (b & 0x3F), D0 90 to D0 BF, then D1 80 to D1 8F from
    // the low bits 0x30 on.
    const __m128i low = _mm_and_si128(b, Bytes(0x3F));
    const __m128i upper = _mm_cmpgt_epi8(low, Bytes(0x2F));
    first = _mm_sub_epi8(Bytes(0xD0), upper);
    second = _mm_or_si128(_mm_and_si128(_mm_add_epi8(low, Bytes(0x10)), Bytes(0x3F)), Bytes(0x80));
    // C2 A8: D0 81 (Ё); C2 B8: D1 91 (ё). Rare, so looked at only when
    // the block has a C2.
    const __m128i isC2 = Equal(a, 0xC2);
    if (_mm_movemask_epi8(isC2) != 0) {
      const __m128i isA8 = Equal(b, 0xA8);
      first = Select(isC2, _mm_add_epi8(Bytes(0xD1), isA8), first);
      second = Select(isC2, _mm_add_epi8(Bytes(0x91), _mm_and_si128(isA8, Bytes(0xF0))), second);
    }
  }
};

// Edit form to stored form.
struct Encode {
  static constexpr uint32_t (*Step)(uint8_t*, uint32_t) = kt::EncodeAt;

  // D0 or D1 with any byte.
  static __m128i Candidates(__m128i a, __m128i) { return Equal(_mm_and_si128(a, Bytes(0xFE)), 0xD0); }

  static void Pairs(__m128i a, __m128i b, __m128i& first, __m128i& second) {
    // The code point moved down by 0x350 is 0x80 + w, with
    // w = 0x30 + (b & 0x3F), plus 0x40 after D1; w stays below 0xB0. Its
    // UTF-8 form is C2 + (w >> 6), then 0x80 | (w & 0x3F).
    const __m128i isD1 = Equal(a, 0xD1);
    const __m128i w = _mm_add_epi8(_mm_add_epi8(_mm_and_si128(b, Bytes(0x3F)), Bytes(0x30)),
                                   _mm_and_si128(isD1, Bytes(0x40)));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(w, 6), Bytes(0x03));
    first = _mm_add_epi8(Bytes(0xC2), high);
    second = _mm_or_si128(_mm_and_si128(w, Bytes(0x3F)), Bytes(0x80));
    // D0 81 (Ё): C2 A8; D1 91 (ё): C2 B8. Rare, so looked at only when the
    // block has a second byte 81 or 91 (b | 0x10 is 91 for just these two).
    if (_mm_movemask_epi8(Equal(_mm_or_si128(b, Bytes(0x10)), 0x91)) != 0) {
      const __m128i bigYo = _mm_and_si128(Equal(a, 0xD0), Equal(b, 0x81));
      const __m128i smallYo = _mm_and_si128(isD1, Equal(b, 0x91));
      first = Select(_mm_or_si128(bigYo, smallYo), Bytes(0xC2), first);
      second = Select(bigYo, Bytes(0xA8), Select(smallYo, Bytes(0xB8), second));
    }
  }
};

template <typename Op>
int32_t Convert(uint8_t* buffer, uint32_t length) {
  // Every byte but the last of a block's last position.
  const __m128i allButLast = _mm_srli_si128(_mm_set1_epi8(-1), 1);
  uint32_t i = 0;  // always a visited position
  while (length - i > 16) {
    uint8_t* p = buffer + i;
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    __m128i candidates = Op::Candidates(a, b);
    const auto mask = static_cast<uint32_t>(_mm_movemask_epi8(candidates));
    if (mask == 0) {
      i += 16;
      continue;
    }
    if ((mask & (mask << 1)) != 0) {
      i = kt::ScanTo<Op::Step>(buffer, i, i + 16);
      continue;
    }
    // A pair at the last position would reach into the next block; that
    // block starts at it instead.
    uint32_t next = i + 16;
    if ((mask & 0x8000) != 0) {
      candidates = _mm_and_si128(candidates, allButLast);
      next = i + 15;
    }
    __m128i first, second;
    Op::Pairs(a, b, first, second);
    const __m128i seconds = _mm_slli_si128(candidates, 1);
    const __m128i out = Select(candidates, first, Select(seconds, _mm_slli_si128(second, 1), a));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
    i = next;
  }
  if (length >= 2) kt::ScanTo<Op::Step>(buffer, i, length - 1);
  return static_cast<int32_t>(length);
}

}  // namespace

extern "C" int32_t KT_CALL DeCoder(uint8_t* buffer, uint32_t length) {
  return Convert<Decode>(buffer, length);
}

extern "C" int32_t KT_CALL ReCoder(uint8_t* buffer, uint32_t length) {
  return Convert<Encode>(buffer, length);
}
