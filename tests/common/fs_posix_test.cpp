// The file layer's POSIX side: errno numbers, dot-files as hidden files,
// file modes, a writer killed mid-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <thread>

#include "common/error.h"
#include "common/fs.h"
#include "tests/common/file_test_fixture.h"
#include "tests/support/child_posix.h"

namespace gs {
namespace {

TEST(FileErrorsPosix, SystemErrorsMapToFileErrors) {
  EXPECT_EQ(FileErrorNumber(ENOENT), 53);
  EXPECT_EQ(FileErrorNumber(ENOTDIR), 76);
  EXPECT_EQ(FileErrorNumber(EACCES), 75);
  EXPECT_EQ(FileErrorNumber(ENOSPC), 61);
  EXPECT_EQ(FileErrorNumber(EIO), 57);
}

TEST_F(FileTest, DotFilesCountAsHidden) {
  Write(Path(".hidden"), "1");
  EXPECT_FALSE(FileExists(Path(".hidden")));
  fs::create_directory(Path("folder"));
  Write(Path("folder/.lock"), "");
  EXPECT_FALSE(HasOrdinaryFile(Path("folder")));
}

TEST_F(FileTest, AtomicFileKeepsTheModeOfTheFileItReplaces) {
  Write(Path("m"), "x");
  ::chmod(Path("m").c_str(), 0640);
  WriteWholeFile(Path("m"), Bytes{'y'});
  struct stat st {};
  ASSERT_EQ(::stat(Path("m").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FileTest, NamesAsLongAsTheSystemTakesCanBeReplaced) {
  for (const size_t length : {248, 255}) {
    const std::string path = Path(std::string(length, 'n'));
    WriteWholeFile(path, Bytes{'1'});
    WriteWholeFile(path, Bytes{'2'});
    EXPECT_EQ(Text(path), "2") << length;
  }
}

TEST_F(FileTest, ACopyThatFillsTheDiskSaysSoAndKeepsTheOldFile) {
  Write(Path("src"), std::string(3 << 20, 's'));
  Write(Path("dst"), "old");
  EXPECT_EQ(test::ErrorInChild([&] { CopyFile(Path("src"), Path("dst"), "The copy"); }, 1 << 20), 61);
  EXPECT_EQ(Text(Path("dst")), "old");
  EXPECT_EQ(EntriesInDir(), 2u);
}

TEST_F(FileTest, AKilledWriterOfWorkFilesLeavesOldOrNew) {
  // A child process replaces a work file with one of two contents, over and
  // over, and is killed at random moments: the file is always one of them.
  const std::string path = Path("work.bin");
  const Bytes first(3 << 20, 'a');
  Bytes second(2 << 20, 'b');
  second.back() = 'z';
  WriteWholeFile(path, first);
  std::mt19937 rng(6);
  for (int round = 0; round < 15; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        for (int k = 0;; ++k) WriteWholeFile(path, k % 2 == 0 ? second : first, Durability::Work);
      } catch (...) {
      }
      ::_exit(1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 30000));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const Bytes now = ReadWholeFile(path);
    EXPECT_TRUE(now == first || now == second) << "round " << round << ": " << now.size() << " bytes";
  }
}

}  // namespace
}  // namespace gs
