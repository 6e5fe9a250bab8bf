#include "common/file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "common/error.h"
#include "common/fs.h"

namespace gs {
namespace {

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gs-file-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Text(const std::string& path) {
    const Bytes b = ReadWholeFile(path);
    return std::string(b.begin(), b.end());
  }
  size_t EntriesInDir() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

  fs::path dir_;
};

TEST_F(FileTest, MissingFileRaisesFileNotFoundNamingIt) {
  try {
    ReadWholeFile(Path("absent.bin"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
    EXPECT_NE(e.Description().find("absent.bin"), std::string::npos);
  }
}

TEST_F(FileTest, ReadWholeFileLeavesRoomBeforeTheContent) {
  Write(Path("a"), "content");
  FileBytes buffer{'o', 'l', 'd'};
  ReadWholeFile(Path("a"), buffer, 2);
  ASSERT_EQ(buffer.size(), 9u);
  EXPECT_EQ(std::string(buffer.begin() + 2, buffer.end()), "content");
  Write(Path("empty"), "");
  ReadWholeFile(Path("empty"), buffer);
  EXPECT_TRUE(buffer.empty());
  try {
    ReadWholeFile(Path("absent"), buffer);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
  }
}

TEST_F(FileTest, HandlesCloseWhenAnErrorUnwinds) {
  Write(Path("a"), "abc");
  const int before = File::OpenCount();
  try {
    File f(Path("a"), File::Mode::Read);
    EXPECT_EQ(File::OpenCount(), before + 1);
    char buf[8];
    f.ReadExactAt(0, buf, sizeof buf);  // past the end
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 62);
  }
  EXPECT_EQ(File::OpenCount(), before);
}

TEST_F(FileTest, AtomicFileReplacesOnlyOnCommit) {
  for (Durability durability : {Durability::Lasting, Durability::Work}) {
    Write(Path("t"), "old content");
    {
      AtomicFile out(Path("t"), durability);
      out.Append("new", 3);
      // dropped without Commit: the old file stays, the temporary goes
    }
    EXPECT_EQ(Text(Path("t")), "old content");
    EXPECT_EQ(EntriesInDir(), 1u);

    AtomicFile out(Path("t"), durability);
    out.Append("xxxx-new", 8);
    const char fill[] = "size";
    out.WriteAt(0, fill, 4);
    out.Commit();
    EXPECT_EQ(Text(Path("t")), "size-new");
    EXPECT_EQ(EntriesInDir(), 1u);
  }
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

TEST_F(FileTest, AtomicFileHandlesLargeContentAndPatchesFlushedBytes) {
  std::string big(3 << 20, 'x');
  for (size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<char>('a' + i % 26);
  AtomicFile out(Path("big"));
  out.Append(big.data(), 100);
  out.Append(big.data() + 100, big.size() - 100);
  out.WriteAt(10, "0123", 4);  // lies in the part already flushed
  out.Commit();
  big.replace(10, 4, "0123");
  EXPECT_EQ(Text(Path("big")), big);
}

TEST_F(FileTest, AtomicFileKeepsTheModeOfTheFileItReplaces) {
  Write(Path("m"), "x");
  ::chmod(Path("m").c_str(), 0640);
  WriteWholeFile(Path("m"), Bytes{'y'});
  struct stat st {};
  ASSERT_EQ(::stat(Path("m").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FileTest, ExistenceCountsOrdinaryFilesOnly) {
  Write(Path("plain"), "1");
  Write(Path(".hidden"), "1");
  fs::create_directory(Path("folder"));
  EXPECT_TRUE(FileExists(Path("plain")));
  EXPECT_FALSE(FileExists(Path(".hidden")));
  EXPECT_FALSE(FileExists(Path("folder")));
  EXPECT_FALSE(FileExists(Path("none")));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(FileTest, FolderSearchIgnoresFoldersAndHiddenFiles) {
  EXPECT_FALSE(HasOrdinaryFile(Path("missing")));
  fs::create_directory(Path("only-folders"));
  fs::create_directory(Path("only-folders/Efiles"));
  Write(Path("only-folders/.lock"), "");
  EXPECT_FALSE(HasOrdinaryFile(Path("only-folders")));
  EXPECT_FALSE(HasOrdinaryFile(Path("only-folders/")));
  Write(Path("only-folders/any"), "");
  EXPECT_TRUE(HasOrdinaryFile(Path("only-folders/")));
}

TEST_F(FileTest, DeleteRaisesForMissingFile) {
  Write(Path("d"), "1");
  DeleteFile(Path("d"));
  EXPECT_FALSE(FileExists(Path("d")));
  try {
    DeleteFile(Path("d"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
  }
}

TEST_F(FileTest, CopyReplacesAndReportsFailure) {
  Write(Path("src"), "payload");
  Write(Path("dst"), "older and longer");
  EXPECT_TRUE(CopyFile(Path("src"), Path("dst")));
  EXPECT_EQ(Text(Path("dst")), "payload");
  EXPECT_FALSE(CopyFile(Path("nope"), Path("dst")));
  EXPECT_EQ(Text(Path("dst")), "payload");
  EXPECT_FALSE(CopyFile(Path("src"), Path("no-folder/dst")));
}

TEST_F(FileTest, DirectoryOfKeepsTrailingSeparator) {
  EXPECT_EQ(DirectoryOf("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(DirectoryOf("c.txt"), "");
  EXPECT_FALSE(ExecutableDir().empty());
  EXPECT_EQ(ExecutableDir().back(), '/');
}

}  // namespace
}  // namespace gs
