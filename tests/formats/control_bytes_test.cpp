// MaskControlBytes against its rule on every byte value at every place of a
// block. The same tests run on each build of it (MASK_SUITE names it).
#include <gtest/gtest.h>

#include <random>

#include "formats/field_codec.h"

#ifndef MASK_SUITE
#define MASK_SUITE MaskControlBytesLoop
#endif

namespace gs {
namespace {

uint8_t Rule(uint8_t b) {
  return b >= 0x01 && b <= 0x1F ? '@' : b;
}

TEST(MASK_SUITE, EveryByteValueAtEveryPlace) {
  for (size_t length = 0; length < 50; ++length) {
    for (size_t at = 0; at < length; ++at) {
      for (int value = 0; value < 256; ++value) {
        std::vector<uint8_t> bytes(length, 'x');
        bytes[at] = static_cast<uint8_t>(value);
        MaskControlBytes(bytes);
        for (size_t i = 0; i < length; ++i) {
          ASSERT_EQ(bytes[i], i == at ? Rule(static_cast<uint8_t>(value)) : 'x') << length << " " << at;
        }
      }
    }
  }
}

TEST(MASK_SUITE, RandomRunsOfEveryLength) {
  std::mt19937 rng(5);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes(rng() % 100);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng() % 3 == 0 ? rng() % 0x22 : rng());
    std::vector<uint8_t> expected = bytes;
    for (uint8_t& b : expected) b = Rule(b);
    // A part of a larger buffer: the bytes around it stay.
    std::vector<uint8_t> framed(bytes.size() + 2, 0x0A);
    std::copy(bytes.begin(), bytes.end(), framed.begin() + 1);
    MaskControlBytes(std::span<uint8_t>(framed).subspan(1, bytes.size()));
    ASSERT_EQ(std::vector<uint8_t>(framed.begin() + 1, framed.end() - 1), expected);
    ASSERT_EQ(framed.front(), 0x0A);
    ASSERT_EQ(framed.back(), 0x0A);
  }
}

}  // namespace
}  // namespace gs
