// DeCoder and ReCoder on x86-64: sixteen scan positions at a time with SSE2,
// which every such processor has, or thirty-two with AVX2 where the
// processor has it (kt_convert_avx2.cpp).
#include "kt/kt.h"
#include "kt/kt_blocks.h"
#include "kt/kt_paths.h"
#include "kt/kt_sse2.h"

namespace kt {

int32_t DecodeSse2(uint8_t* buffer, uint32_t length) {
  using Op = Decode<Sse2>;
  return Finish<Op>(buffer, length, Blocks<Sse2, Op>(buffer, length, 0));
}

int32_t EncodeSse2(uint8_t* buffer, uint32_t length) {
  using Op = Encode<Sse2>;
  return Finish<Op>(buffer, length, Blocks<Sse2, Op>(buffer, length, 0));
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
