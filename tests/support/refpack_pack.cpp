#include "tests/support/refpack_pack.h"

#include <algorithm>
#include <cstring>

namespace gs::test {

namespace {

constexpr size_t kWindow = 131072;
constexpr size_t kLongestRun = 1028;
constexpr size_t kHashBits = 16;

void PutBig(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Literal-only commands for all but the last 0 to 3 of the bytes, which the
// next command carries; returns how many are left for it.
size_t PutLiterals(std::vector<uint8_t>& out, const uint8_t* p, size_t n) {
  while (n >= 4) {
    const size_t chunk = std::min<size_t>(112, n & ~size_t{3});
    out.push_back(static_cast<uint8_t>(0xE0 + ((chunk - 4) >> 2)));
    out.insert(out.end(), p, p + chunk);
    p += chunk;
    n -= chunk;
  }
  return n;
}

// A copy command for a run of `length` bytes `distance` back, carrying
// `plain` literal bytes before it.
void PutCopy(std::vector<uint8_t>& out, size_t plain, size_t length, size_t distance) {
  const size_t d = distance - 1;
  if (length <= 10 && distance <= 1024) {
    out.push_back(static_cast<uint8_t>(((d >> 3) & 0x60) | ((length - 3) << 2) | plain));
    out.push_back(static_cast<uint8_t>(d));
  } else if (length <= 67 && distance <= 16384) {
    out.push_back(static_cast<uint8_t>(0x80 | (length - 4)));
    out.push_back(static_cast<uint8_t>((plain << 6) | (d >> 8)));
    out.push_back(static_cast<uint8_t>(d));
  } else {
    out.push_back(static_cast<uint8_t>(0xC0 | ((d >> 16) << 4) | (((length - 5) >> 8) << 2) | plain));
    out.push_back(static_cast<uint8_t>(d >> 8));
    out.push_back(static_cast<uint8_t>(d));
    out.push_back(static_cast<uint8_t>(length - 5));
  }
}

// Whether a run of that length and distance has a command form.
bool Encodable(size_t length, size_t distance) {
  return (length >= 3 && distance <= 1024) || (length >= 4 && distance <= 16384) || length >= 5;
}

}  // namespace

std::vector<uint8_t> RefPackCompress(std::span<const uint8_t> data, RefPackHeader header) {
  std::vector<uint8_t> out;
  out.push_back(
      static_cast<uint8_t>(0x10 | (header.wideSizes ? 0x80 : 0) | (header.compressedSizeField ? 1 : 0)));
  out.push_back(0xFB);
  const int field = header.wideSizes ? 4 : 3;
  const size_t sizeAt = out.size();
  if (header.compressedSizeField) PutBig(out, 0, field);  // filled in at the end
  PutBig(out, data.size(), field);

  std::vector<int64_t> last(size_t{1} << kHashBits, -1);
  const uint8_t* in = data.data();
  const size_t n = data.size();
  size_t pos = 0;
  size_t pending = 0;  // where the literals not yet written start
  while (pos + 3 <= n) {
    uint32_t three = 0;
    std::memcpy(&three, in + pos, 3);
    const size_t h = (three * 2654435761u) >> (32 - kHashBits);
    const int64_t candidate = last[h];
    last[h] = static_cast<int64_t>(pos);
    if (candidate >= 0 && pos - static_cast<size_t>(candidate) <= kWindow) {
      const size_t from = static_cast<size_t>(candidate);
      size_t length = 0;
      const size_t most = std::min(kLongestRun, n - pos);
      while (length < most && in[from + length] == in[pos + length]) ++length;
      const size_t distance = pos - from;
      if (Encodable(length, distance)) {
        const size_t plain = PutLiterals(out, in + pending, pos - pending);
        PutCopy(out, plain, length, distance);
        out.insert(out.end(), in + pos - plain, in + pos);
        pos += length;
        pending = pos;
        continue;
      }
    }
    ++pos;
  }
  const size_t plain = PutLiterals(out, in + pending, n - pending);
  out.push_back(static_cast<uint8_t>(0xFC | plain));
  out.insert(out.end(), in + n - plain, in + n);
  if (header.compressedSizeField) {
    std::vector<uint8_t> size;
    PutBig(size, out.size(), field);
    std::copy(size.begin(), size.end(), out.begin() + static_cast<std::ptrdiff_t>(sizeAt));
  }
  return out;
}

}  // namespace gs::test
