// The file layer's Windows side: system error numbers, file attributes as
// a directory listing sees them, files that other programs hold open.
//
// Wine run as root lets writes pass over read-only files, which Windows
// refuses, and run as an ordinary user it cannot mark a read-only file
// hidden; no case here depends on either, so the tests pass the same as
// root and as an ordinary user.
#include <windows.h>
// windows.h maps these names to its own A/W functions; ours are meant here.
#undef DeleteFile
#undef CopyFile

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/fs.h"
#include "tests/common/file_test_fixture.h"

namespace gs {
namespace {

TEST(FileErrorsWindows, SystemErrorsMapToFileErrors) {
  EXPECT_EQ(FileErrorNumber(ERROR_FILE_NOT_FOUND), 53);
  EXPECT_EQ(FileErrorNumber(ERROR_PATH_NOT_FOUND), 76);
  EXPECT_EQ(FileErrorNumber(ERROR_ACCESS_DENIED), 75);
  EXPECT_EQ(FileErrorNumber(ERROR_SHARING_VIOLATION), 70);
  EXPECT_EQ(FileErrorNumber(ERROR_DISK_FULL), 61);
  EXPECT_EQ(FileErrorNumber(ERROR_ALREADY_EXISTS), 58);
  EXPECT_EQ(FileErrorNumber(ERROR_GEN_FAILURE), 57);
}

class AttributesTest : public FileTest {
 protected:
  std::string Make(const std::string& name, DWORD attributes) {
    const std::string path = Path(name);
    Write(path, "1");
    EXPECT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
    made_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const std::string& path : made_) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::vector<std::string> made_;
};

TEST_F(AttributesTest, ExistenceCountsOrdinaryReadOnlyAndArchiveFiles) {
  EXPECT_TRUE(FileExists(Make("ordinary", FILE_ATTRIBUTE_NORMAL)));
  EXPECT_TRUE(FileExists(Make("read-only", FILE_ATTRIBUTE_READONLY)));
  EXPECT_TRUE(FileExists(Make("archive", FILE_ATTRIBUTE_ARCHIVE)));
  EXPECT_TRUE(FileExists(Make("both", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE)));
  EXPECT_FALSE(FileExists(Make("hidden", FILE_ATTRIBUTE_HIDDEN)));
  EXPECT_FALSE(FileExists(Make("system", FILE_ATTRIBUTE_SYSTEM)));
  EXPECT_FALSE(FileExists(Make("hidden-archive", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)));
}

TEST_F(AttributesTest, FolderSearchSkipsHiddenAndSystemFiles) {
  fs::create_directory(Path("KT"));
  Make("KT\\hidden", FILE_ATTRIBUTE_HIDDEN);
  Make("KT\\system", FILE_ATTRIBUTE_SYSTEM);
  EXPECT_FALSE(HasOrdinaryFile(Path("KT")));
  Make("KT\\ImpBig.exe", FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(HasOrdinaryFile(Path("KT")));
  EXPECT_TRUE(HasOrdinaryFile(Path("KT\\")));
}

TEST_F(AttributesTest, AReadOnlyFileIsNotDeleted) {
  const std::string path = Make("kept", FILE_ATTRIBUTE_READONLY);
  try {
    DeleteFile(path);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 75);
    EXPECT_NE(e.Description().find(path), std::string::npos);
  }
  EXPECT_TRUE(FileExists(path));
}

// A file held open by another program that shares nothing, as an editor or
// the game may hold one.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path)
      : h_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(h_, INVALID_HANDLE_VALUE);
  }
  ~HeldOpen() { ::CloseHandle(h_); }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;

 private:
  HANDLE h_;
};

TEST_F(FileTest, AFileHeldOpenIsRefusedAndKeptWhole) {
  Write(Path("table"), "old");
  const HeldOpen other(Path("table"));
  try {
    File f(Path("table"), File::Mode::Read);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 70);
  }
  EXPECT_THROW(WriteWholeFile(Path("table"), Bytes{'n', 'e', 'w'}), Error);
  Write(Path("source"), "new");
  EXPECT_THROW(CopyFile(Path("source"), Path("table")), Error);
  EXPECT_THROW(DeleteFile(Path("table")), Error);
  EXPECT_EQ(EntriesInDir(), 2u);  // no temporary file left behind
}

TEST_F(FileTest, CopyTakesTheContentAndKeepsTheSource) {
  Write(Path("local.viv"), std::string(3 << 20, 'v'));
  Write(Path("local.viv.bak"), "an older backup");
  CopyFile(Path("local.viv"), Path("local.viv.bak"));
  EXPECT_EQ(Text(Path("local.viv.bak")), std::string(3 << 20, 'v'));
  EXPECT_EQ(Text(Path("local.viv")), std::string(3 << 20, 'v'));
  EXPECT_EQ(EntriesInDir(), 2u);
}

// Creating a symbolic link takes a privilege that a test may lack, and Wine
// makes none (though it reports success); then there is nothing to check.
TEST_F(FileTest, AFileBehindASymbolicLinkIsReplacedThroughIt) {
  Write(Path("real.viv"), "old");
  ::CreateSymbolicLinkA(Path("local.viv").c_str(), "real.viv", 0);
  const DWORD attributes = ::GetFileAttributesA(Path("local.viv").c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    GTEST_SKIP() << "no symbolic links here";
  }
  WriteWholeFile(Path("local.viv"), Bytes{'n', 'e', 'w'});
  EXPECT_NE(::GetFileAttributesA(Path("local.viv").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(Text(Path("real.viv")), "new");
}

}  // namespace
}  // namespace gs
