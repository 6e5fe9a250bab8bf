#include "word/writer/document_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "tests/support/test_folder.h"
#include "word/writer/file_url.h"
#include "word/writer/office_process.h"

namespace gs::writer {
namespace {

namespace fs = std::filesystem;

std::string LockTimeText(std::time_t t) {
  char text[32];
  std::strftime(text, sizeof text, "%d.%m.%Y %H:%M", std::localtime(&t));
  return text;
}

class DocumentLockTest : public gs::testing::FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    fs::create_directories(dir_ / "profiles");
    root_ = (dir_ / "profiles").string();
  }
  DocumentLock LockBy(const std::string& profileFolder, std::time_t when = std::time(nullptr)) const {
    return DocumentLock{"", "me", "host", LockTimeText(when), FileUrl(profileFolder)};
  }

  std::string root_;
};

TEST_F(DocumentLockTest, NamesTheLockFileBesideTheDocument) {
  EXPECT_EQ(DocumentLockPath("/a/b c/FrontFrench.bin.doc"), "/a/b c/.~lock.FrontFrench.bin.doc#");
  EXPECT_EQ(DocumentLockPath("x.doc"), ".~lock.x.doc#");
}

TEST_F(DocumentLockTest, ParsesLockFilesWithEscapes) {
  const auto lock =
      ParseDocumentLock(",Ann\\, Lee,ann,pc\\;1,07.12.2025 11:24,file:///home/ann/.config/libreoffice/4;");
  ASSERT_TRUE(lock);
  EXPECT_EQ(lock->user, "");
  EXPECT_EQ(lock->systemUser, "Ann, Lee");
  EXPECT_EQ(lock->host, "ann");
  EXPECT_EQ(lock->time, "pc;1");
  EXPECT_FALSE(ParseDocumentLock("a,b,c,d,e"));  // no end
  EXPECT_FALSE(ParseDocumentLock("a,b;"));
  std::tm tm{};
  tm.tm_mday = 7, tm.tm_mon = 11, tm.tm_year = 125, tm.tm_hour = 11, tm.tm_min = 24, tm.tm_isdst = -1;
  EXPECT_EQ(LockTime(DocumentLock{"", "", "", "07.12.2025 11:24", ""}), std::mktime(&tm));
  EXPECT_EQ(LockTime(DocumentLock{"", "", "", "yesterday", ""}), 0);
}

TEST_F(DocumentLockTest, OnlyLocksOfOursWhoseOfficeIsGoneAreStale) {
  const std::string free = root_ + "/5";
  EXPECT_TRUE(IsStaleLockOfOurs(LockBy(free), root_, ""));
  EXPECT_TRUE(IsStaleLockOfOurs(LockBy(root_ + "/7/"), root_, root_ + "/7"));  // our own office
  EXPECT_FALSE(IsStaleLockOfOurs(LockBy("/home/ann/.config/libreoffice/4"), root_, ""));
  EXPECT_FALSE(IsStaleLockOfOurs(LockBy(root_ + "/x"), root_, ""));
  EXPECT_FALSE(IsStaleLockOfOurs(LockBy(root_ + "2/1"), root_, ""));

  // A profile in use by a running office: its locks are live, unless they
  // were written well before that office started.
  const OfficeProfile held = OfficeProfile::Acquire(root_);
  EXPECT_FALSE(IsStaleLockOfOurs(LockBy(held.Folder()), root_, ""));
  EXPECT_TRUE(IsStaleLockOfOurs(LockBy(held.Folder(), std::time(nullptr) - 3600), root_, ""));
}

TEST_F(DocumentLockTest, ClearsOnlyStaleLocks) {
  const std::string document = (dir_ / "t.doc").string();
  EXPECT_FALSE(ClearStaleDocumentLock(document, root_, ""));  // none there
  const auto write = [&](const DocumentLock& l) {
    std::ofstream(DocumentLockPath(document))
        << "," << l.systemUser << "," << l.host << "," << l.time << "," << l.profileUrl << ";";
  };
  write(LockBy("/home/ann/.config/libreoffice/4"));
  EXPECT_FALSE(ClearStaleDocumentLock(document, root_, ""));
  EXPECT_TRUE(fs::exists(DocumentLockPath(document)));
  write(LockBy(root_ + "/3"));
  EXPECT_TRUE(ClearStaleDocumentLock(document, root_, ""));
  EXPECT_FALSE(fs::exists(DocumentLockPath(document)));
}

TEST_F(DocumentLockTest, FileUrlsRoundTrip) {
  const std::string path = "/tmp/a b/Ёж%#?.doc";
  EXPECT_EQ(FileUrl("/tmp/a b/x#.doc"), "file:///tmp/a%20b/x%23.doc");
  EXPECT_EQ(PathOfFileUrl(FileUrl(path)), path);
  EXPECT_EQ(PathOfFileUrl("file://localhost/x"), "/x");
  EXPECT_EQ(PathOfFileUrl("http://x/y"), "");
}

}  // namespace
}  // namespace gs::writer
