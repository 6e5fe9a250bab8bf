// A RefPack compressor for tests and benchmarks, written from the public
// description of the commands alone: greedy matches found through a hash of
// three bytes, every command form used where it fits.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gs::test {

struct RefPackHeader {
  bool wideSizes = false;            // 4-byte size fields (first byte 0x90/0x91)
  bool compressedSizeField = false;  // a compressed-size field follows the signature (0x11/0x91)
};

std::vector<uint8_t> RefPackCompress(std::span<const uint8_t> data, RefPackHeader header = {});

}  // namespace gs::test
