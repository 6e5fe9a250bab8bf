// A scratch folder of its own for each file test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/file.h"
#include "tests/support/test_process.h"

namespace gs {

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_ / name; }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Text(const std::string& path) {
    const Bytes b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
  }
  size_t EntriesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(scratch_.Path()), {}));
  }

  test::ScratchDir scratch_{"file"};
};

}  // namespace gs
