// ImpBig.exe through its command line, its results read back by the reader
// written from the layout.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"

namespace gs::test {
namespace {

const std::vector<uint8_t> kFront = Pattern(3000, 1);
const std::vector<uint8_t> kGame = Pattern(5000, 2);
const std::vector<uint8_t> kNew = Pattern(4321, 3);

class ImpBigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(archive_, BuildLayout("BIGF", {{"FrontFrench.bin", kFront}, {"GameFrench.bin", kGame}}));
  }

  static ProgramResult Tool(std::vector<std::string> args) {
    args.insert(args.begin(), ImpBigPath());
    return RunProgram(args);
  }

  // A failure: status 1 and a message naming the archive.
  void ExpectFailure(const ProgramResult& r, const std::string& archive) {
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(archive), std::string::npos) << r.err;
  }

  ScratchDir dir_{"impbig"};
  // Blanks in the folder and file names, as in "Program Files".
  const std::string folder_ = [this] {
    std::filesystem::create_directory(dir_ / "Game Folder");
    return dir_ / "Game Folder/";
  }();
  const std::string archive_ = folder_ + "local archive.viv";
};

TEST_F(ImpBigTest, WrongArgumentsPrintTheUsage) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"/x", archive_},
      {"/e", archive_, "FrontFrench.bin"},
      {"/e", archive_, "FrontFrench.bin", "a", "b"},
      {"/i", archive_, "FrontFrench.bin", "src", "/z"},
      {"/i", archive_},
      {"/r"},
      {"/r", archive_, "extra"},
      {archive_},
  };
  for (const auto& args : wrong) {
    const ProgramResult r = Tool(args);
    EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  const ProgramResult help = Tool({"/?"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("/e ARCHIVE ENTRY DEST"), std::string::npos);
}

TEST_F(ImpBigTest, ExtractWritesTheEntryWhateverTheLetterCase) {
  const std::string dest = folder_ + "Front French.bin";
  ASSERT_EQ(Tool({"/e", archive_, "frontfrench.BIN", dest}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dest), kFront);
  ASSERT_EQ(Tool({"/E", archive_, "GAMEFRENCH.BIN", dest}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dest), kGame);
}

TEST_F(ImpBigTest, FailedExtractionLeavesNoDestination) {
  const std::string dest = folder_ + "out.bin";
  WriteText(dest, "left from an earlier run");
  ExpectFailure(Tool({"/e", archive_, "FrontGerman.bin", dest}), archive_);
  EXPECT_FALSE(std::filesystem::exists(dest));

  const std::string missing = folder_ + "missing.viv";
  ExpectFailure(Tool({"/e", missing, "FrontFrench.bin", dest}), missing);
  EXPECT_FALSE(std::filesystem::exists(dest));

  // Into a folder that does not exist: no file anywhere.
  ExpectFailure(Tool({"/e", archive_, "FrontFrench.bin", folder_ + "no/such/dir/out.bin"}), archive_);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(ImpBigTest, ExtractingOverTheArchiveItselfIsRefused) {
  const auto before = ReadBytes(archive_);
  ExpectFailure(Tool({"/e", archive_, "FrontFrench.bin", archive_}), archive_);
  EXPECT_EQ(ReadBytes(archive_), before);
}

TEST_F(ImpBigTest, InsertThenFinishAsTheEditorRunsThem) {
  const std::string source = folder_ + "Front French.bin";
  WriteBytes(source, kNew);
  ASSERT_EQ(Tool({"/i", archive_, "FRONTFRENCH.bin", source, "/c"}).exitCode, 0);
  ASSERT_EQ(Tool({"/r", archive_}).exitCode, 0);
  LayoutArchive a = ReadLayout(archive_);
  EXPECT_EQ(a.totalSize, a.fileSize);
  ASSERT_EQ(a.entries.size(), 2u);
  EXPECT_EQ(a.entries[0].name, "FrontFrench.bin");  // the stored spelling stays
  EXPECT_EQ(a.entries[0].data, kNew);
  EXPECT_EQ(a.entries[1].data, kGame);

  // A new entry, and /c left out: it goes in name order, as the index is sorted.
  ASSERT_EQ(Tool({"/i", archive_, "emaildata.dta", source}).exitCode, 0);
  ASSERT_EQ(Tool({"/r", archive_}).exitCode, 0);
  a = ReadLayout(archive_);
  EXPECT_EQ(a.totalSize, a.fileSize);
  ASSERT_EQ(a.entries.size(), 3u);
  EXPECT_EQ(a.entries[0].name, "emaildata.dta");
  EXPECT_EQ(a.entries[0].data, kNew);

  const std::string dest = folder_ + "back.dta";
  ASSERT_EQ(Tool({"/e", archive_, "EMAILDATA.DTA", dest}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dest), kNew);
}

TEST_F(ImpBigTest, InsertFailuresLeaveTheArchiveAsItWas) {
  const auto before = ReadBytes(archive_);
  ExpectFailure(Tool({"/i", archive_, "FrontFrench.bin", folder_ + "no source.bin", "/c"}), archive_);
  EXPECT_EQ(ReadBytes(archive_), before);
  const std::string missing = folder_ + "missing.viv";
  ExpectFailure(Tool({"/i", missing, "FrontFrench.bin", archive_, "/c"}), missing);
  ExpectFailure(Tool({"/r", missing}), missing);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ImpBigTest, DamagedArchivesAreRefusedAndLeftUnchanged) {
  auto truncatedIndex = ReadBytes(archive_);
  truncatedIndex.resize(40);
  auto badMagic = ReadBytes(archive_);
  badMagic[3] = 'X';
  auto pastEnd = ReadBytes(archive_);
  pastEnd[17] = 0x7F;  // the first entry's offset
  auto hugeCount = ReadBytes(archive_);
  hugeCount[8] = 0x10;

  const std::string source = folder_ + "source.bin";
  WriteBytes(source, kNew);
  const std::string dest = folder_ + "dest.bin";
  for (const auto& damaged : {truncatedIndex, badMagic, pastEnd, hugeCount}) {
    WriteBytes(archive_, damaged);
    ExpectFailure(Tool({"/e", archive_, "GameFrench.bin", dest}), archive_);
    ExpectFailure(Tool({"/i", archive_, "GameFrench.bin", source, "/c"}), archive_);
    ExpectFailure(Tool({"/i", archive_, "new.bin", source, "/c"}), archive_);
    ExpectFailure(Tool({"/r", archive_}), archive_);
    EXPECT_EQ(ReadBytes(archive_), damaged);
    EXPECT_FALSE(std::filesystem::exists(dest));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);  // no temporary files
}

}  // namespace
}  // namespace gs::test
