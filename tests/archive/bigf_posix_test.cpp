// The archive library and tool with what only POSIX offers every user:
// symbolic links, limits on a child's files, kills without cleanup.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/error.h"
#include "common/file.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/child_posix.h"
#include "tests/support/test_process.h"
#include "archive/bigf.h"

namespace gs::test {
namespace {

namespace fs = std::filesystem;

size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(BigfPosix, ExtractNeverWritesOverTheArchiveThroughASymbolicLink) {
  const ScratchDir dir("bigf-link");
  const std::string archive = dir / "local.viv";
  WriteBytes(archive, BuildLayout("BIGF", {{"a.bin", Pattern(100, 1)}}));
  const auto before = ReadBytes(archive);
  fs::create_symlink(archive, dir / "link");
  EXPECT_THROW(bigf::Extract(archive, "a.bin", dir / "link"), Error);
  EXPECT_EQ(ReadBytes(archive), before);
}

TEST(BigfPosix, AnArchiveBehindASymbolicLinkIsChangedThroughIt) {
  const ScratchDir dir("bigf-link");
  WriteBytes(dir / "real.viv", BuildLayout("BIGF", {{"a.bin", Pattern(100, 1)}}));
  fs::create_symlink("real.viv", dir / "local.viv");
  WriteBytes(dir / "source", Pattern(50, 2));
  ASSERT_EQ(RunProgram({ImpBigPath(), "/i", dir / "local.viv", "new.bin", dir / "source", "/c"}).exitCode, 0);
  ASSERT_EQ(RunProgram({ImpBigPath(), "/r", dir / "local.viv"}).exitCode, 0);
  EXPECT_TRUE(fs::is_symlink(dir / "local.viv"));
  EXPECT_EQ(EntriesOf(dir / "real.viv").at("new.bin"), Pattern(50, 2));
  EXPECT_EQ(FilesIn(dir.Path()), 3u);
}

TEST(BigfPosix, AHeaderLengthFarPastTheIndexCostsNoMoreMemoryThanTheIndex) {
  // 1.5 GiB, nearly all a hole, whose header length claims 1 GiB.
  const ScratchDir dir("bigf-huge");
  const std::string archive = dir / "local.viv";
  std::vector<uint8_t> bytes = BuildLayout("BIGF", {{"a.bin", Pattern(100, 1)}});
  bytes[12] = 0x40;
  WriteBytes(archive, bytes);
  fs::resize_file(archive, 3ull << 29);
  // A started program's peak counts what the test held when it started it:
  // measured against a run that reads nothing.
  const uint64_t idle = PeakMemoryOf({ImpBigPath(), "/?"});
  const uint64_t peak = PeakMemoryOf({ImpBigPath(), "/e", archive, "a.bin", dir / "out"});
  EXPECT_LT(peak, idle + (128u << 20)) << idle;
  EXPECT_EQ(ReadBytes(dir / "out"), Pattern(100, 1));
}

TEST(BigfPosix, AnInsertThatFillsTheDiskLeavesTheArchiveAsItWas) {
  const ScratchDir dir("bigf-full");
  const std::string archive = dir / "local.viv";
  WriteBytes(dir / "source", Pattern(100000, 3));
  for (const char* entry : {"b.bin", "new.bin"}) {  // in place; a rewrite
    SCOPED_TRACE(entry);
    WriteBytes(archive, BuildLayout("BIGF", {{"a.bin", Pattern(3000, 1)}, {"b.bin", Pattern(5000, 2)}}));
    const auto before = ReadBytes(archive);
    EXPECT_EQ(ErrorInChild([&] { bigf::Insert(archive, entry, dir / "source"); }, before.size() + 1000), 61);
    EXPECT_EQ(ReadBytes(archive), before);
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
  }
}

TEST(BigfPosix, ChangesClearAwayWhatKilledRunsLeftBehind) {
  const ScratchDir dir("bigf-leftover");
  const std::string archive = dir / "local.viv";
  WriteBytes(archive, BuildLayout("BIGF", {{"a.bin", Pattern(3000, 1)}, {"b.bin", Pattern(5000, 2)}}));
  WriteBytes(dir / "source", Pattern(100, 3));
  const std::vector<std::vector<std::string>> runs = {{"/i", archive, "b.bin", dir / "source", "/c"},
                                                      {"/r", archive}};
  for (std::vector<std::string> run : runs) {
    // A rewrite ended amid its write, as a kill ends it.
    ErrorInChild([&] {
      AtomicFile rewrite(archive);
      rewrite.Append(Pattern(3 << 20, 4));
      ::_exit(0);
    });
    ASSERT_EQ(FilesIn(dir.Path()), 3u);
    run.insert(run.begin(), ImpBigPath());
    EXPECT_EQ(RunProgram(run).exitCode, 0);
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
  }
}

}  // namespace
}  // namespace gs::test
