// Screenshots as PNG files, written without an image library: 8-bit RGB,
// the rows in stored (uncompressed) deflate blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gs::test {

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row from the top
  bool operator==(const Screenshot&) const = default;
};

// Returns false when the file cannot be written.
bool WritePng(const std::string& path, const Screenshot& image);

}  // namespace gs::test
