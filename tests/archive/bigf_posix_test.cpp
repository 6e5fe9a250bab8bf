// The archive library with what only POSIX file systems offer every user.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"
#include "tools/impbig/bigf.h"

namespace gs::test {
namespace {

TEST(BigfPosix, ExtractNeverWritesOverTheArchiveThroughASymbolicLink) {
  const ScratchDir dir("bigf-link");
  const std::string archive = dir / "local.viv";
  WriteBytes(archive, BuildLayout("BIGF", {{"a.bin", Pattern(100, 1)}}));
  const auto before = ReadBytes(archive);
  std::filesystem::create_symlink(archive, dir / "link");
  EXPECT_THROW(bigf::Extract(archive, "a.bin", dir / "link"), Error);
  EXPECT_EQ(ReadBytes(archive), before);
}

}  // namespace
}  // namespace gs::test
