// Little-endian 32-bit integers in byte buffers, as the game's files hold them.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

#include "common/file.h"

namespace gs {

inline int32_t LoadInt32(std::span<const uint8_t> bytes, size_t position) {
  const uint8_t* p = bytes.data() + position;
  const uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                     static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  return static_cast<int32_t>(v);
}

inline void StoreInt32(uint8_t* p, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

inline void AppendInt32(Bytes& out, int32_t value) {
  uint8_t b[4];
  StoreInt32(b, value);
  out.insert(out.end(), b, b + 4);
}

inline void AppendBytes(Bytes& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace gs
