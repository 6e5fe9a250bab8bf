// What reading an archive and changing it share: the layout of an index
// record, and the index of an open archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/bigf.h"
#include "common/file.h"

namespace gs::bigf {

// An index record: offset, size, then at least the zero byte of its name.
inline constexpr size_t kRecordFixedSize = 8;
inline constexpr size_t kMinRecordSize = kRecordFixedSize + 1;

inline uint64_t AlignUp(uint64_t v, uint32_t alignment) {
  return (v + alignment - 1) / alignment * alignment;
}

// Raises error 7777: the archive is damaged, and how.
[[noreturn]] void RaiseDamaged(std::string_view archivePath, const std::string& fault);

// Reads the header and the index of an open archive, and its conventions.
Index ReadIndex(const File& archive, std::string_view archivePath);

}  // namespace gs::bigf
