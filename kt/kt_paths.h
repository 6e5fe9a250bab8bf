// The conversion paths of the x86-64 library, for its exports to choose
// from and for the tests to hold against the rules one by one.
#pragma once

#include <stdint.h>

namespace kt {

int32_t DecodeSse2(uint8_t* buffer, uint32_t length);
int32_t EncodeSse2(uint8_t* buffer, uint32_t length);
int32_t DecodeAvx2(uint8_t* buffer, uint32_t length);
int32_t EncodeAvx2(uint8_t* buffer, uint32_t length);

// True when the processor and the system run AVX2 instructions.
bool HasAvx2();

}  // namespace kt
