#include "common/file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "common/fs.h"
#include "tests/common/file_test_fixture.h"
#include "tests/support/test_process.h"

namespace gs {
namespace {

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
  const int before = test::OpenHandleCount();
  try {
    File f(Path("a"), File::Mode::Read);
    EXPECT_EQ(test::OpenHandleCount(), before + 1);
    char buf[8];
    f.ReadExactAt(0, buf, sizeof buf);  // past the end
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 62);
  }
  EXPECT_EQ(test::OpenHandleCount(), before);
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

TEST_F(FileTest, ExistenceCountsOrdinaryFilesOnly) {
  Write(Path("plain"), "1");
  fs::create_directory(Path("folder"));
  EXPECT_TRUE(FileExists(Path("plain")));
  EXPECT_FALSE(FileExists(Path("folder")));
  EXPECT_FALSE(FileExists(Path("none")));
  EXPECT_FALSE(FileExists(Path("none/plain")));
  EXPECT_FALSE(FileExists(""));
  // The exact path only, never a pattern.
  EXPECT_FALSE(FileExists(Path("pl*")));
  EXPECT_FALSE(FileExists(Path("pla?n")));
}

TEST_F(FileTest, FolderSearchIgnoresFolders) {
  EXPECT_FALSE(HasOrdinaryFile(Path("missing")));
  fs::create_directory(Path("only-folders"));
  fs::create_directory(Path("only-folders/Efiles"));
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

TEST_F(FileTest, CopyReplacesAndReportsTheCauseOfAFailure) {
  Write(Path("src"), "payload");
  Write(Path("dst"), "older and longer");
  CopyFile(Path("src"), Path("dst"));
  EXPECT_EQ(Text(Path("dst")), "payload");
  try {
    CopyFile(Path("nope"), Path("dst"), "The backup failed");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 53);
    EXPECT_EQ(e.Description().rfind("The backup failed: ", 0), 0u) << e.Description();
    EXPECT_NE(e.Description().find("nope"), std::string::npos) << e.Description();
  }
  EXPECT_EQ(Text(Path("dst")), "payload");
  EXPECT_THROW(CopyFile(Path("src"), Path("no-folder/dst")), Error);
  EXPECT_EQ(EntriesInDir(), 2u);
}

TEST_F(FileTest, DirectoryOfKeepsTrailingSeparator) {
  EXPECT_EQ(DirectoryOf("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(DirectoryOf("c.txt"), "");
  EXPECT_FALSE(ExecutableDir().empty());
  EXPECT_EQ(ExecutableDir().back(), kPathSeparator);
}

}  // namespace
}  // namespace gs
