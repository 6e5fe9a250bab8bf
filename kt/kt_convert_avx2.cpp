// The AVX2 path of DeCoder and ReCoder on x86-64: thirty-two scan positions
// at a time, then sixteen for the rest. Built for AVX2 alone; called only
// where the processor has it.
#include <immintrin.h>

#include "kt/kt_blocks.h"
#include "kt/kt_paths.h"
#include "kt/kt_sse2.h"

namespace kt {
namespace {

struct Avx2 {
  using Vec = __m256i;
  static constexpr uint32_t kWidth = 32;
  static Vec Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void Store(uint8_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  static Vec Bytes(int value) { return _mm256_set1_epi8(static_cast<char>(value)); }
  static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
  static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
  static Vec AndNot(Vec a, Vec b) { return _mm256_andnot_si256(a, b); }
  static Vec Equal(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
  static Vec Add(Vec a, Vec b) { return _mm256_add_epi8(a, b); }
  static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi8(a, b); }
  static Vec Greater(Vec a, Vec b) { return _mm256_cmpgt_epi8(a, b); }
  static uint32_t Mask(Vec v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }
  static Vec Below6(Vec v) { return _mm256_and_si256(_mm256_srli_epi16(v, 6), Bytes(0x03)); }
  // The byte shifts of AVX2 stay within each half; the low half's last byte
  // is brought over to the high half's first.
  static Vec Later(Vec v) { return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 15); }
  static Vec DropLast(Vec v) {
    return _mm256_and_si256(v, _mm256_set_epi64x(0x00FFFFFFFFFFFFFF, -1, -1, -1));
  }
};

}  // namespace

int32_t DecodeAvx2(uint8_t* buffer, uint32_t length) {
  const uint32_t i = Blocks<Avx2, Decode<Avx2>>(buffer, length, 0);
  using Op = Decode<Sse2>;
  return Finish<Op>(buffer, length, Blocks<Sse2, Op>(buffer, length, i));
}

int32_t EncodeAvx2(uint8_t* buffer, uint32_t length) {
  const uint32_t i = Blocks<Avx2, Encode<Avx2>>(buffer, length, 0);
  using Op = Encode<Sse2>;
  return Finish<Op>(buffer, length, Blocks<Sse2, Op>(buffer, length, i));
}

}  // namespace kt
