#include "kt/kt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes De(Bytes b) {
  EXPECT_EQ(DeCoder(b.data(), static_cast<uint32_t>(b.size())), static_cast<int32_t>(b.size()));
  return b;
}
Bytes Re(Bytes b) {
  EXPECT_EQ(ReCoder(b.data(), static_cast<uint32_t>(b.size())), static_cast<int32_t>(b.size()));
  return b;
}

// Reference versions written straight from the rules, one byte at a time.
void Put(uint8_t* p, unsigned v) {
  p[0] = static_cast<uint8_t>(0xC0 | (v >> 6));
  p[1] = static_cast<uint8_t>(0x80 | (v & 0x3F));
}
Bytes RefDe(Bytes b) {
  for (size_t i = 0; i + 1 < b.size();) {
    if (b[i] == 0xC2 && b[i + 1] == 0xA8) {
      b[i] = 0xD0;
      b[i + 1] = 0x81;
      i += 2;
    } else if (b[i] == 0xC2 && b[i + 1] == 0xB8) {
      b[i] = 0xD1;
      b[i + 1] = 0x91;
      i += 2;
    } else if (b[i] == 0xC3) {
      Put(&b[i], 0x410 + (b[i + 1] & 0x3F));
      i += 2;
    } else
      ++i;
  }
  return b;
}
Bytes RefRe(Bytes b) {
  for (size_t i = 0; i + 1 < b.size();) {
    if (b[i] == 0xD0 && b[i + 1] == 0x81) {
      b[i] = 0xC2;
      b[i + 1] = 0xA8;
      i += 2;
    } else if (b[i] == 0xD1 && b[i + 1] == 0x91) {
      b[i] = 0xC2;
      b[i + 1] = 0xB8;
      i += 2;
    } else if (b[i] == 0xD0 || b[i] == 0xD1) {
      Put(&b[i], (((b[i] & 0x3Fu) << 6) | (b[i + 1] & 0x3Fu)) - 0x350u);
      i += 2;
    } else
      ++i;
  }
  return b;
}

TEST(Kt, LengthZeroDoesNothing) {
  EXPECT_EQ(DeCoder(nullptr, 0), 0);
  EXPECT_EQ(ReCoder(nullptr, 0), 0);
}

TEST(Kt, LoneLeadByteAtTheEndStays) {
  // A one-byte heap buffer: AddressSanitizer catches any read past it.
  auto one = std::make_unique<uint8_t[]>(1);
  one[0] = 0xC3;
  EXPECT_EQ(DeCoder(one.get(), 1), 1);
  EXPECT_EQ(one[0], 0xC3);
  one[0] = 0xD0;
  EXPECT_EQ(ReCoder(one.get(), 1), 1);
  EXPECT_EQ(one[0], 0xD0);
  EXPECT_EQ(De({0x41, 0xC3}), (Bytes{0x41, 0xC3}));
}

TEST(Kt, LettersRoundTrip) {
  const Bytes stored{0xC3, 0x80, 0xC3, 0xBF, 0xC2, 0xA8, 0xC2, 0xB8};
  const Bytes edit{0xD0, 0x90, 0xD1, 0x8F, 0xD0, 0x81, 0xD1, 0x91};
  EXPECT_EQ(De(stored), edit);
  EXPECT_EQ(Re(edit), stored);
}

TEST(Kt, AllSixtySixLettersSurviveBothWays) {
  for (unsigned cp = 0x400; cp < 0x460; ++cp) {
    Bytes edit(2);
    Put(edit.data(), cp);
    const bool kept = (cp >= 0x410 && cp <= 0x44F) || cp == 0x401 || cp == 0x451;
    EXPECT_EQ(De(Re(edit)) == edit, kept) << std::hex << cp;
  }
}

TEST(Kt, OtherPairsFoldOrPass) {
  EXPECT_EQ(De({0xC2, 0xAB}), (Bytes{0xC2, 0xAB}));  // «
  EXPECT_EQ(Re({0xD0, 0x88}), (Bytes{0xC2, 0xB8}));  // Ј folds onto ё's stored form
  EXPECT_EQ(De({0xC2, 0xB8}), (Bytes{0xD1, 0x91}));
  EXPECT_EQ(Re({0xD1, 0x92}), (Bytes{0xC4, 0x82}));
  EXPECT_EQ(De({0xC3, 0x41}), (Bytes{0xD0, 0x91}));                      // only the low six bits count
  const Bytes wide{'a', 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80, 'z'};  // € and an emoji
  EXPECT_EQ(De(wide), wide);
  EXPECT_EQ(Re(wide), wide);
}

TEST(Kt, MatchesTheByteAtATimeRulesOnRandomInput) {
  std::mt19937 rng(1234);
  const uint8_t interesting[] = {0xC2, 0xC3, 0xD0, 0xD1, 0xA8, 0xB8, 0x81, 0x91, 0x80, 0xBF, 0x41, 0x00};
  for (int round = 0; round < 2000; ++round) {
    Bytes b(rng() % 64);
    for (auto& x : b)
      x = (rng() % 3 == 0) ? static_cast<uint8_t>(rng()) : interesting[rng() % sizeof interesting];
    // Long ASCII runs exercise the word-at-a-time skip, with pairs across its edges.
    if (round % 4 == 0) b.insert(b.begin() + static_cast<long>(b.size() / 2), rng() % 40, 'x');
    EXPECT_EQ(De(b), RefDe(b));
    EXPECT_EQ(Re(b), RefRe(b));
  }
}

}  // namespace
