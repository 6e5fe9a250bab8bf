// DeCoder and ReCoder a block of scan positions at a time, for a vector
// width given by V (sixteen bytes with SSE2, thirty-two with AVX2).
//
// A block is the positions from a visited position i on, as many as a vector
// holds; the pair starting at each needs the byte after it, so the block's
// last byte must lie within the buffer. A position is a candidate when the
// pair starting there would be converted if the scan visited it. When no two
// candidates of a block are neighbours, the scan visits every candidate (a
// converted pair passes only its second byte, which is no candidate), so all
// of them are converted at once. A block with neighbouring candidates, which
// valid UTF-8 never has, goes by the byte rules.
//
// V gives: Vec, kWidth, Load, Store, Bytes (every byte the same), And, Or,
// AndNot (~a & b), Equal, Add, Sub, Greater (signed), Mask (the top bits),
// Below6 ((v >> 6) & 3 in each byte), Later (each byte moved one place up,
// zero first) and DropLast (the last byte zero).
#pragma once

#include <stdint.h>

#include "kt/kt_rules.h"

namespace kt {
// Each instruction set's file compiles its own copy (see kt_rules.h).
namespace {

template <typename V>
struct BlockOps {
  using Vec = typename V::Vec;
  static Vec Select(Vec mask, Vec yes, Vec no) { return V::Or(V::And(mask, yes), V::AndNot(mask, no)); }
  static Vec Equal(Vec v, int value) { return V::Equal(v, V::Bytes(value)); }
};

// Stored form to edit form. a holds the first bytes of the pairs, b the
// second bytes.
template <typename V>
struct Decode : BlockOps<V> {
  using Vec = typename V::Vec;
  using BlockOps<V>::Equal;
  using BlockOps<V>::Select;
  static constexpr uint32_t (*Step)(uint8_t*, uint32_t) = DecodeAt;

  // C3 with any byte, C2 with A8 or B8 (b | 0x10 is B8 for just these two).
  static Vec Candidates(Vec a, Vec b) {
    const Vec yo = Equal(V::Or(b, V::Bytes(0x10)), 0xB8);
    return V::Or(Equal(a, 0xC3), V::And(Equal(a, 0xC2), yo));
  }

  static void Pairs(Vec a, Vec b, Vec& first, Vec& second) {
    // C3 b: U+0410 + (b & 0x3F), D0 90 to D0 BF, then D1 80 to D1 8F from
    // the low bits 0x30 on.
    const Vec low = V::And(b, V::Bytes(0x3F));
    const Vec upper = V::Greater(low, V::Bytes(0x2F));
    first = V::Sub(V::Bytes(0xD0), upper);
    second = V::Or(V::And(V::Add(low, V::Bytes(0x10)), V::Bytes(0x3F)), V::Bytes(0x80));
    // C2 A8: D0 81 (Ё); C2 B8: D1 91 (ё). Rare, so looked at only when
    // the block has a C2.
    const Vec isC2 = Equal(a, 0xC2);
    if (V::Mask(isC2) != 0) {
      const Vec isA8 = Equal(b, 0xA8);
      first = Select(isC2, V::Add(V::Bytes(0xD1), isA8), first);
      second = Select(isC2, V::Add(V::Bytes(0x91), V::And(isA8, V::Bytes(0xF0))), second);
    }
  }
};

// Edit form to stored form.
template <typename V>
struct Encode : BlockOps<V> {
  using Vec = typename V::Vec;
  using BlockOps<V>::Equal;
  using BlockOps<V>::Select;
  static constexpr uint32_t (*Step)(uint8_t*, uint32_t) = EncodeAt;

  // D0 or D1 with any byte.
  static Vec Candidates(Vec a, Vec) { return Equal(V::And(a, V::Bytes(0xFE)), 0xD0); }

  static void Pairs(Vec a, Vec b, Vec& first, Vec& second) {
    // The code point moved down by 0x350 is 0x80 + w, with
    // w = 0x30 + (b & 0x3F), plus 0x40 after D1; w stays below 0xB0. Its
    // UTF-8 form is C2 + (w >> 6), then 0x80 | (w & 0x3F).
    const Vec isD1 = Equal(a, 0xD1);
    const Vec w = V::Add(V::Add(V::And(b, V::Bytes(0x3F)), V::Bytes(0x30)), V::And(isD1, V::Bytes(0x40)));
    first = V::Add(V::Bytes(0xC2), V::Below6(w));
    second = V::Or(V::And(w, V::Bytes(0x3F)), V::Bytes(0x80));
    // D0 81 (Ё): C2 A8; D1 91 (ё): C2 B8. Rare, so looked at only when the
    // block has a second byte 81 or 91 (b | 0x10 is 91 for just these two).
    if (V::Mask(Equal(V::Or(b, V::Bytes(0x10)), 0x91)) != 0) {
      const Vec bigYo = V::And(Equal(a, 0xD0), Equal(b, 0x81));
      const Vec smallYo = V::And(isD1, Equal(b, 0x91));
      first = Select(V::Or(bigYo, smallYo), V::Bytes(0xC2), first);
      second = Select(bigYo, V::Bytes(0xA8), Select(smallYo, V::Bytes(0xB8), second));
    }
  }
};

// Converts blocks from visited position i on while a whole block fits in the
// buffer; returns the visited position reached.
template <typename V, typename Op>
uint32_t Blocks(uint8_t* buffer, uint32_t length, uint32_t i) {
  using Vec = typename V::Vec;
  constexpr uint32_t kWidth = V::kWidth;
  constexpr uint32_t kLast = 1u << (kWidth - 1);
  while (length - i > kWidth) {
    uint8_t* p = buffer + i;
    const Vec a = V::Load(p);
    const Vec b = V::Load(p + 1);
    Vec candidates = Op::Candidates(a, b);
    const uint32_t mask = V::Mask(candidates);
    if (mask == 0) {
      i += kWidth;
      continue;
    }
    if ((mask & (mask << 1)) != 0) {
      i = ScanTo<Op::Step>(buffer, i, i + kWidth);
      continue;
    }
    // A pair at the last position would reach into the next block; that
    // block starts at it instead.
    uint32_t next = i + kWidth;
    if ((mask & kLast) != 0) {
      candidates = V::DropLast(candidates);
      next = i + kWidth - 1;
    }
    Vec first, second;
    Op::Pairs(a, b, first, second);
    const Vec seconds = V::Later(candidates);
    V::Store(p, Op::Select(candidates, first, Op::Select(seconds, V::Later(second), a)));
    i = next;
  }
  return i;
}

// The positions from visited position i to the end, by the byte rules.
template <typename Op>
int32_t Finish(uint8_t* buffer, uint32_t length, uint32_t i) {
  if (length >= 2) ScanTo<Op::Step>(buffer, i, length - 1);
  return static_cast<int32_t>(length);
}

}  // namespace
}  // namespace kt
