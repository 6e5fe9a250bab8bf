#include "archive/refpack.h"

#include <cstring>
#include <string>

#include "common/error.h"

namespace gs::refpack {

namespace {

constexpr uint8_t kMagic = 0xFB;
constexpr uint8_t kWideSizes = 0x80;
constexpr uint8_t kCompressedSizeField = 0x01;
// The most output one input byte can stand for: a 4-byte command copies up
// to 1028 bytes. A declared size beyond that many times the commands' length
// is damage, and is refused before anything is allocated.
constexpr uint64_t kMostOutputPerByte = 257;

[[noreturn]] void RaiseDamaged(std::string_view what, const std::string& fault) {
  Raise(rt::UnknownDataFormat, std::string(what) + " is compressed (RefPack) but damaged: " + fault + ".");
}

// Copies n bytes from `distance` bytes back in the output. When the run
// overlaps what it writes, the bytes before it repeat with that period: each
// memcpy copies a span already written, and the span doubles every round.
inline void CopyBack(uint8_t* out, size_t distance, size_t n) {
  const uint8_t* from = out - distance;
  while (n > 0) {
    const size_t chunk = n < static_cast<size_t>(out - from) ? n : static_cast<size_t>(out - from);
    std::memcpy(out, from, chunk);
    out += chunk;
    n -= chunk;
  }
}

}  // namespace

bool IsCompressed(std::span<const uint8_t> data) {
  return data.size() >= 2 && (data[0] & ~(kWideSizes | kCompressedSizeField)) == 0x10 && data[1] == kMagic;
}

Bytes Decompress(std::span<const uint8_t> data, std::string_view what) {
  if (!IsCompressed(data)) RaiseDamaged(what, "it lacks the signature");
  const uint8_t* in = data.data();
  const size_t end = data.size();
  const size_t field = (in[0] & kWideSizes) != 0 ? 4 : 3;
  size_t pos = 2 + ((in[0] & kCompressedSizeField) != 0 ? field : 0);
  if (end < pos + field) RaiseDamaged(what, "its header is cut short");
  uint64_t size = 0;
  for (size_t i = 0; i < field; ++i) size = size << 8 | in[pos + i];
  pos += field;
  if (size > (end - pos) * kMostOutputPerByte) {
    RaiseDamaged(what, "it declares " + std::to_string(size) + " bytes, more than its " +
                           std::to_string(end - pos) + " bytes of commands can make");
  }

  Bytes result(static_cast<size_t>(size));
  uint8_t* out = result.data();
  size_t done = 0;
  for (;;) {
    if (pos >= end) RaiseDamaged(what, "its commands end without a stop command");
    const size_t left = end - pos;
    const uint8_t b0 = in[pos];
    size_t plain = 0;
    size_t run = 0;
    size_t distance = 0;
    bool stop = false;
    if (b0 < 0x80) {
      if (left < 2) RaiseDamaged(what, "a command is cut short");
      plain = b0 & 3;
      run = ((b0 & 0x1C) >> 2) + 3;
      distance = ((b0 & 0x60) << 3) + in[pos + 1] + 1;
      pos += 2;
    } else if (b0 < 0xC0) {
      if (left < 3) RaiseDamaged(what, "a command is cut short");
      plain = in[pos + 1] >> 6;
      run = (b0 & 0x3F) + 4;
      distance = ((in[pos + 1] & 0x3F) << 8) + in[pos + 2] + 1;
      pos += 3;
    } else if (b0 < 0xE0) {
      if (left < 4) RaiseDamaged(what, "a command is cut short");
      plain = b0 & 3;
      run = ((b0 & 0x0C) << 6) + in[pos + 3] + 5;
      distance = ((b0 & 0x10) << 12) + (in[pos + 1] << 8) + in[pos + 2] + 1;
      pos += 4;
    } else if (b0 < 0xFC) {
      plain = ((b0 & 0x1F) << 2) + 4;
      pos += 1;
    } else {
      plain = b0 & 3;
      stop = true;
      pos += 1;
    }

    if (plain > end - pos) RaiseDamaged(what, "literal bytes run past the end of the data");
    if (plain + run > size - done) {
      RaiseDamaged(what, "its commands make more than the " + std::to_string(size) + " bytes it declares");
    }
    if (plain > 0) std::memcpy(out + done, in + pos, plain);  // out is null for empty output
    pos += plain;
    done += plain;
    if (stop) break;
    if (run > 0) {
      if (distance > done) RaiseDamaged(what, "a copy refers back before the first byte");
      CopyBack(out + done, distance, run);
      done += run;
    }
  }
  if (done != size) {
    RaiseDamaged(what, "it makes " + std::to_string(done) + " bytes, not the " + std::to_string(size) +
                           " its header declares");
  }
  return result;
}

}  // namespace gs::refpack
