// RefPack (also called QFS), the game maker's LZ77 compression of single
// archive entries. The index carries no flag: an entry is compressed when its
// data begins with the signature. Only decompression lives here; the archive
// tool stores what it inserts uncompressed.
//
// Data: a signature of two bytes, 10 FB with optional bits 0x80 (sizes are
// 4 bytes instead of 3) and 0x01 (a compressed-size field follows) in the
// first; then that field if present; then the uncompressed size, big-endian;
// then the commands, each copying a few literal bytes from the input and then
// a run from earlier output, until a stop command.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/file.h"

namespace gs::refpack {

// True when data begins with a signature: 10 FB, 11 FB, 90 FB or 91 FB.
bool IsCompressed(std::span<const uint8_t> data);

// The uncompressed bytes of data, which must begin with a signature. Raises
// error 7777 naming `what` when the data does not decode to exactly the size
// its header declares; damaged data never makes it read or write out of
// bounds, nor allocate more than its commands could produce.
Bytes Decompress(std::span<const uint8_t> data, std::string_view what);

}  // namespace gs::refpack
