// The SSE2 instructions that the block conversion uses (kt_blocks.h).
#pragma once

#include <emmintrin.h>
#include <stdint.h>

namespace kt {
// Each instruction set's file compiles its own copy (see kt_rules.h).
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
}  // namespace kt
