// DeCoder and ReCoder on x86-64: sixteen scan positions at a time with SSE2,
// which every such processor has, or thirty-two with AVX2 where the
// processor has it (kt_convert_avx2.cpp).
#include <emmintrin.h>

#include "kt/kt.h"
#include "kt/kt_blocks.h"
#include "kt/kt_paths.h"

namespace {

struct Sse2 {
  using Vec = __m128i;
  static constexpr uint32_t kWidth = 16;
  static Vec Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void Store(uint8_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  static Vec Bytes(int value) { return _mm_set1_epi8(static_cast<char>(value)); }
  static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
  static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
  static Vec AndNot(Vec a, Vec b) { return _mm_andnot_si128(a, b); }
  static Vec Equal(Vec a, Vec b) { return _mm_cmpeq_epi8(a, b); }
  static Vec Add(Vec a, Vec b) { return _mm_add_epi8(a, b); }
  static Vec Sub(Vec a, Vec b) { return _mm_sub_epi8(a, b); }
  static Vec Greater(Vec a, Vec b) { return _mm_cmpgt_epi8(a, b); }
  static uint32_t Mask(Vec v) { return static_cast<uint32_t>(_mm_movemask_epi8(v)); }
  static Vec Below6(Vec v) { return _mm_and_si128(_mm_srli_epi16(v, 6), Bytes(0x03)); }
  static Vec Later(Vec v) { return _mm_slli_si128(v, 1); }
  static Vec DropLast(Vec v) { return _mm_and_si128(v, _mm_srli_si128(_mm_set1_epi8(-1), 1)); }
};

}  // namespace

namespace kt {

int32_t DecodeSse2(uint8_t* buffer, uint32_t length) {
  return Convert<Sse2, Decode<Sse2>>(buffer, length);
}

int32_t EncodeSse2(uint8_t* buffer, uint32_t length) {
  return Convert<Sse2, Encode<Sse2>>(buffer, length);
}

bool HasAvx2() {
  return __builtin_cpu_supports("avx2");
}

}  // namespace kt

extern "C" int32_t KT_CALL DeCoder(uint8_t* buffer, uint32_t length) {
  return kt::HasAvx2() ? kt::DecodeAvx2(buffer, length) : kt::DecodeSse2(buffer, length);
}

extern "C" int32_t KT_CALL ReCoder(uint8_t* buffer, uint32_t length) {
  return kt::HasAvx2() ? kt::EncodeAvx2(buffer, length) : kt::EncodeSse2(buffer, length);
}
