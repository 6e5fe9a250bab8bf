// The file layer's POSIX side: errno numbers, dot-files as hidden files,
// file modes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/error.h"
#include "common/fs.h"
#include "tests/common/file_test_fixture.h"

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

}  // namespace
}  // namespace gs
