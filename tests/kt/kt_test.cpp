// The library's two operations against their rules. The same tests run on
// every conversion path the library has: KT_SUITE names the path, KT_DECODE
// and KT_ENCODE are its two operations (the exports unless given), and
// KT_AVAILABLE says whether this processor runs it.
#include "kt/kt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "kt/kt_paths.h"
#include "kt_reference.h"

#ifndef KT_SUITE
#define KT_SUITE Kt
#define KT_DECODE ::DeCoder
#define KT_ENCODE ::ReCoder
#define KT_AVAILABLE true
#endif

class KT_SUITE : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!(KT_AVAILABLE)) GTEST_SKIP() << "this processor does not run this path";
  }
};

namespace {

int32_t Decode(uint8_t* buffer, uint32_t length) {
  return KT_DECODE(buffer, length);
}
int32_t Encode(uint8_t* buffer, uint32_t length) {
  return KT_ENCODE(buffer, length);
}

using Bytes = std::vector<uint8_t>;

Bytes De(Bytes b) {
  EXPECT_EQ(Decode(b.data(), static_cast<uint32_t>(b.size())), static_cast<int32_t>(b.size()));
  return b;
}
Bytes Re(Bytes b) {
  EXPECT_EQ(Encode(b.data(), static_cast<uint32_t>(b.size())), static_cast<int32_t>(b.size()));
  return b;
}

void Put(uint8_t* p, unsigned v) {
  p[0] = static_cast<uint8_t>(0xC0 | (v >> 6));
  p[1] = static_cast<uint8_t>(0x80 | (v & 0x3F));
}

// Both operations on text against the rules. The library works on a heap
// buffer of exactly the text's length inside a larger one, at offset, so
// that AddressSanitizer sees a read past the end and a write past either
// end shows as changed guard bytes.
void ExpectTheRules(const Bytes& text, size_t offset = 0) {
  const size_t n = text.size();
  for (bool decode : {true, false}) {
    Bytes expected = text;
    if (decode) {
      kt_reference::DeCoder(expected.data(), n);
    } else {
      kt_reference::ReCoder(expected.data(), n);
    }
    auto exact = std::make_unique<uint8_t[]>(n);
    if (n > 0) std::memcpy(exact.get(), text.data(), n);
    const int32_t result = decode ? Decode(exact.get(), static_cast<uint32_t>(n))
                                  : Encode(exact.get(), static_cast<uint32_t>(n));
    EXPECT_EQ(result, static_cast<int32_t>(n));
    ASSERT_EQ(Bytes(exact.get(), exact.get() + n), expected) << (decode ? "DeCoder" : "ReCoder");

    Bytes framed(offset + n + 1, 0xC3);  // guard bytes that would pair with anything
    std::copy(text.begin(), text.end(), framed.begin() + static_cast<long>(offset));
    if (decode) {
      Decode(framed.data() + offset, static_cast<uint32_t>(n));
    } else {
      Encode(framed.data() + offset, static_cast<uint32_t>(n));
    }
    ASSERT_EQ(Bytes(framed.begin() + static_cast<long>(offset), framed.end() - 1), expected);
    for (size_t g = 0; g < offset; ++g) ASSERT_EQ(framed[g], 0xC3) << "wrote before the buffer";
    ASSERT_EQ(framed.back(), 0xC3) << "wrote past the buffer";
  }
}

TEST_F(KT_SUITE, LengthZeroDoesNothing) {
  EXPECT_EQ(Decode(nullptr, 0), 0);
  EXPECT_EQ(Encode(nullptr, 0), 0);
}

TEST_F(KT_SUITE, LoneLeadByteAtTheEndStays) {
  // A one-byte heap buffer: AddressSanitizer catches any read past it.
  auto one = std::make_unique<uint8_t[]>(1);
  one[0] = 0xC3;
  EXPECT_EQ(Decode(one.get(), 1), 1);
  EXPECT_EQ(one[0], 0xC3);
  one[0] = 0xD0;
  EXPECT_EQ(Encode(one.get(), 1), 1);
  EXPECT_EQ(one[0], 0xD0);
  EXPECT_EQ(De({0x41, 0xC3}), (Bytes{0x41, 0xC3}));
  // The same at the end of longer buffers, whichever way they are cut.
  for (size_t n = 2; n < 70; ++n) {
    Bytes text(n, 'a');
    text.back() = 0xC3;
    ExpectTheRules(text);
    text.back() = 0xD1;
    ExpectTheRules(text);
  }
}

TEST_F(KT_SUITE, LettersRoundTrip) {
  const Bytes stored{0xC3, 0x80, 0xC3, 0xBF, 0xC2, 0xA8, 0xC2, 0xB8};
  const Bytes edit{0xD0, 0x90, 0xD1, 0x8F, 0xD0, 0x81, 0xD1, 0x91};
  EXPECT_EQ(De(stored), edit);
  EXPECT_EQ(Re(edit), stored);
}

TEST_F(KT_SUITE, AllSixtySixLettersSurviveBothWays) {
  for (unsigned cp = 0x400; cp < 0x460; ++cp) {
    Bytes edit(2);
    Put(edit.data(), cp);
    const bool kept = (cp >= 0x410 && cp <= 0x44F) || cp == 0x401 || cp == 0x451;
    EXPECT_EQ(De(Re(edit)) == edit, kept) << std::hex << cp;
  }
}

TEST_F(KT_SUITE, OtherPairsFoldOrPass) {
  EXPECT_EQ(De({0xC2, 0xAB}), (Bytes{0xC2, 0xAB}));  // «
  EXPECT_EQ(Re({0xD0, 0x88}), (Bytes{0xC2, 0xB8}));  // Ј folds onto ё's stored form
  EXPECT_EQ(De({0xC2, 0xB8}), (Bytes{0xD1, 0x91}));
  EXPECT_EQ(Re({0xD1, 0x92}), (Bytes{0xC4, 0x82}));
  EXPECT_EQ(De({0xC3, 0x41}), (Bytes{0xD0, 0x91}));                      // only the low six bits count
  const Bytes wide{'a', 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80, 'z'};  // € and an emoji
  EXPECT_EQ(De(wide), wide);
  EXPECT_EQ(Re(wide), wide);
}

TEST_F(KT_SUITE, EveryPairValueAtEveryPlaceOfABlock) {
  // Each lead byte with each second byte, at each position of the first
  // two 16-byte blocks, in ASCII and in Cyrillic surroundings.
  for (int lead : {0xC2, 0xC3, 0xD0, 0xD1}) {
    for (int second = 0; second < 256; ++second) {
      for (size_t at = 0; at < 33; ++at) {
        Bytes text(40, 'x');
        if (at % 2 == 1) {
          for (size_t k = 0; k + 1 < text.size(); k += 2) Put(&text[k], 0x430 + k % 32);
        }
        text[at] = static_cast<uint8_t>(lead);
        text[at + 1] = static_cast<uint8_t>(second);
        ExpectTheRules(text);
      }
    }
  }
}

TEST_F(KT_SUITE, NeighbouringLeadBytesPairFromTheLeft) {
  // Runs of lead bytes, which valid UTF-8 never holds: the scan decides
  // which of them start pairs.
  const uint8_t leads[] = {0xC2, 0xC3, 0xD0, 0xD1, 0xA8, 0xB8, 0x81, 0x91};
  std::mt19937 rng(7);
  for (size_t run = 1; run < 40; ++run) {
    for (size_t at = 0; at < 20; ++at) {
      Bytes text(at + run + 18, 'y');
      for (size_t k = 0; k < run; ++k) text[at + k] = leads[rng() % sizeof leads];
      ExpectTheRules(text, at % 5);
    }
  }
}

TEST_F(KT_SUITE, MatchesTheRulesOnRandomInputOfEveryLengthAndPlace) {
  std::mt19937 rng(1234);
  const uint8_t interesting[] = {0xC2, 0xC3, 0xD0, 0xD1, 0xA8, 0xB8, 0x81, 0x91, 0x80, 0xBF, 0x41, 0x00};
  for (int round = 0; round < 4000; ++round) {
    Bytes b(static_cast<size_t>(round % 3 == 0 ? rng() % 200 : rng() % 40));
    const int density = 1 + static_cast<int>(rng() % 4);
    for (auto& x : b) {
      x = rng() % 4 < static_cast<unsigned>(density) ? interesting[rng() % sizeof interesting]
                                                     : static_cast<uint8_t>(rng());
    }
    // Long ASCII runs exercise the skips, with pairs across their edges.
    if (round % 4 == 0) b.insert(b.begin() + static_cast<long>(b.size() / 2), rng() % 70, 'x');
    ExpectTheRules(b, static_cast<size_t>(round % 17));
  }
}

TEST_F(KT_SUITE, MatchesTheRulesOnLongMixedText) {
  // A megabyte of text as the tables hold it: ASCII, Cyrillic letters in
  // both forms, other two-byte characters and a few stray bytes.
  std::mt19937 rng(2006);
  Bytes text;
  while (text.size() < (1u << 20)) {
    const unsigned r = rng() % 100;
    if (r < 50) {
      text.push_back(static_cast<uint8_t>(' ' + rng() % 95));
    } else if (r < 70) {
      text.resize(text.size() + 2);
      Put(&text[text.size() - 2], 0xC0 + rng() % 64);  // stored letter
    } else if (r < 90) {
      text.resize(text.size() + 2);
      Put(&text[text.size() - 2], 0x400 + rng() % 96);  // edit-form letter
    } else if (r < 98) {
      text.resize(text.size() + 2);
      Put(&text[text.size() - 2], 0x80 + rng() % 0x780);
    } else {
      text.push_back(static_cast<uint8_t>(rng()));
    }
  }
  ExpectTheRules(text);
}

}  // namespace
