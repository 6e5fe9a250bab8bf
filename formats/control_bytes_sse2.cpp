// MaskControlBytes on x86-64, sixteen bytes at a time with SSE2.
#include <emmintrin.h>

#include "formats/field_codec.h"

namespace gs {

void MaskControlBytes(std::span<uint8_t> bytes) {
  uint8_t* p = bytes.data();
  size_t n = bytes.size();
  // As signed bytes, 0x01 to 0x1F are the ones above 0 and below 0x20;
  // bytes from 0x80 up are negative.
  const auto block = [](uint8_t* at16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at16));
    const __m128i hit =
        _mm_and_si128(_mm_cmpgt_epi8(v, _mm_setzero_si128()), _mm_cmplt_epi8(v, _mm_set1_epi8(0x20)));
    if (_mm_movemask_epi8(hit) == 0) return;
    const __m128i masked = _mm_or_si128(_mm_andnot_si128(hit, v), _mm_and_si128(hit, _mm_set1_epi8('@')));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at16), masked);
  };
  if (n < 16) {
    for (; n > 0; ++p, --n) *p = static_cast<uint8_t>(*p - 1u) < 0x1F ? static_cast<uint8_t>('@') : *p;
    return;
  }
  for (; n > 16; p += 16, n -= 16) block(p);
  // The last sixteen bytes, some of them masked already: masking is the
  // same done twice.
  block(p + n - 16);
}

}  // namespace gs
