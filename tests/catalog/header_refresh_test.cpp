// The header file refresh with the real ImpBig.exe in a fake installation.
#include "catalog/header_refresh.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/archive_tool.h"
#include "common/error.h"
#include "tests/catalog/fake_installation.h"
#include "tests/support/bigf_layout.h"

namespace gs::test {
namespace {

namespace fs = std::filesystem;

class HeaderRefreshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(preload_,
               BuildLayout("BIGF", {{"other.bin", Pattern(700, 9)}, {"local.bh", Pattern(100, 8)}}));
  }

  // "fe\local.viv" of the given size with the given bytes 14 and 15.
  std::vector<uint8_t> MakeSourceArchive(size_t size, uint8_t high, uint8_t low) {
    std::vector<uint8_t> bytes = Pattern(size, 5);
    bytes[14] = high;
    bytes[15] = low;
    WriteBytes(game_ / "fe\\local.viv", bytes);
    return bytes;
  }

  std::vector<uint8_t> PreloadEntry() {
    for (const auto& e : ReadLayout(preload_).entries) {
      if (e.name == "local.bh") return e.data;
    }
    ADD_FAILURE() << "no local.bh";
    return {};
  }

  // The refresh must fail with that number and change nothing.
  void ExpectRefusedWith(int32_t number) {
    const auto preloadBefore = ReadBytes(preload_);
    try {
      RefreshHeaderFile(game_.paths, true);
      ADD_FAILURE() << "refresh passed";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), number);
      EXPECT_NE(e.Description().find(game_ / "fe\\local.viv"), std::string::npos) << e.Description();
    }
    EXPECT_EQ(ReadBytes(header_), oldHeader_);
    EXPECT_FALSE(fs::exists(header_ + ".bak"));
    EXPECT_EQ(ReadBytes(preload_), preloadBefore);
  }

  FakeInstallation game_;
  const std::string header_ = game_ / "fe\\local.bh";
  const std::string preload_ = game_ / "preload\\fmisc.viv";
  const std::vector<uint8_t> oldHeader_ = Pattern(77, 4);
};

TEST_F(HeaderRefreshTest, HeaderIsTheArchivesFirstNBytes) {
  const auto archive = MakeSourceArchive(1000, 0x01, 0x2C);
  RefreshHeaderFile(game_.paths, false);
  const std::vector<uint8_t> expected(archive.begin(), archive.begin() + 300);
  EXPECT_EQ(ReadBytes(header_), expected);
  EXPECT_EQ(PreloadEntry(), expected);
  const LayoutArchive preload = ReadLayout(preload_);
  EXPECT_EQ(preload.entries.size(), 2u);
  EXPECT_EQ(preload.totalSize, preload.fileSize);
  EXPECT_FALSE(fs::exists(header_ + ".bak"));
}

// After the tool has put a new table into "fe\local.viv", the header file is
// the archive's header by the archive's own rule for its header length.
TEST_F(HeaderRefreshTest, HeaderFollowsEachHeaderLengthConventionThroughAnInsert) {
  struct Case {
    const char* what;
    HeaderLengthAt at;
    std::vector<uint8_t> gap;
  };
  const Case cases[] = {
      {"the end of the index", HeaderLengthAt::IndexEnd, {'L', '2', '2', '5', 0, 0, 0, 0}},
      {"the first data offset", HeaderLengthAt::FirstData, {0, 0}},
      {"the first data offset minus one", HeaderLengthAt::FirstDataMinusOne, {'L', '2', '5', '3', 0}},
  };
  const std::string archivePath = game_ / "fe\\local.viv";
  const std::string table = game_ / "KT\\FrontFrench.bin";
  WriteBytes(table, Pattern(999, 3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(archivePath,
               BuildLayout({"BIGF", SizeField::LittleEndian, c.at, c.gap, 1},
                           {{"FrontEnglish.bin", Pattern(2000, 1)}, {"GameEnglish.bin", Pattern(3000, 2)}}));
    InsertEntry(game_.paths, archivePath, "FrontFrench.bin", table);
    AfterInsert(game_.paths, archivePath);
    RefreshHeaderFile(game_.paths, false);

    const LayoutArchive a = ReadLayout(archivePath);
    ASSERT_EQ(a.entries.size(), 3u);
    const uint64_t n = c.at == HeaderLengthAt::IndexEnd    ? a.indexEnd
                       : c.at == HeaderLengthAt::FirstData ? a.firstData
                                                           : a.firstData - 1;
    const std::vector<uint8_t> archive = ReadBytes(archivePath);
    const std::vector<uint8_t> expected(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(ReadBytes(header_), expected);
    EXPECT_EQ(PreloadEntry(), expected);
  }
}

TEST_F(HeaderRefreshTest, LongestHeaderIs32767Bytes) {
  const auto archive = MakeSourceArchive(40000, 0x7F, 0xFF);
  RefreshHeaderFile(game_.paths, false);
  EXPECT_EQ(ReadBytes(header_), std::vector<uint8_t>(archive.begin(), archive.begin() + 32767));
  EXPECT_EQ(PreloadEntry().size(), 32767u);
}

TEST_F(HeaderRefreshTest, BadLengthsAreRefusedBeforeAnythingChanges) {
  WriteBytes(header_, oldHeader_);
  MakeSourceArchive(40000, 0x80, 0x00);
  ExpectRefusedWith(6);
  MakeSourceArchive(40000, 0xFF, 0xFF);
  ExpectRefusedWith(6);
  MakeSourceArchive(1000, 0x00, 0x00);
  ExpectRefusedWith(rt::UnknownDataFormat);
  MakeSourceArchive(299, 0x01, 0x2C);
  ExpectRefusedWith(rt::UnknownDataFormat);
  WriteBytes(game_ / "fe\\local.viv", {'B', 'I', 'G'});
  ExpectRefusedWith(rt::UnknownDataFormat);
  fs::remove(game_ / "fe\\local.viv");
  ExpectRefusedWith(53);
}

TEST_F(HeaderRefreshTest, BackupKeepsTheOldHeaderFileWhenAsked) {
  const auto archive = MakeSourceArchive(1000, 0x01, 0x2C);
  const std::vector<uint8_t> header(archive.begin(), archive.begin() + 300);
  const std::vector<uint8_t> olderBackup = Pattern(10, 6);

  WriteBytes(header_, oldHeader_);
  WriteBytes(header_ + ".bak", olderBackup);
  RefreshHeaderFile(game_.paths, false);
  EXPECT_EQ(ReadBytes(header_), header);
  EXPECT_EQ(ReadBytes(header_ + ".bak"), olderBackup);

  WriteBytes(header_, oldHeader_);
  RefreshHeaderFile(game_.paths, true);
  EXPECT_EQ(ReadBytes(header_), header);
  EXPECT_EQ(ReadBytes(header_ + ".bak"), oldHeader_);
}

TEST_F(HeaderRefreshTest, WithoutAnOldHeaderFileNothingIsBackedUp) {
  MakeSourceArchive(1000, 0x01, 0x2C);
  RefreshHeaderFile(game_.paths, true);
  EXPECT_EQ(ReadBytes(header_).size(), 300u);
  EXPECT_FALSE(fs::exists(header_ + ".bak"));
}

TEST_F(HeaderRefreshTest, FailedBackupStopsTheRefresh) {
  MakeSourceArchive(1000, 0x01, 0x2C);
  WriteBytes(header_, oldHeader_);
  fs::create_directory(header_ + ".bak");  // nothing can be copied over a folder
  const auto preloadBefore = ReadBytes(preload_);
  try {
    RefreshHeaderFile(game_.paths, true);
    ADD_FAILURE() << "refresh passed";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), rt::PathFileAccessError);
    EXPECT_NE(e.Description().find(header_ + ".bak"), std::string::npos) << e.Description();
  }
  EXPECT_EQ(ReadBytes(header_), oldHeader_);
  EXPECT_EQ(ReadBytes(preload_), preloadBefore);
}

TEST_F(HeaderRefreshTest, ToolFailureRaises) {
  MakeSourceArchive(1000, 0x01, 0x2C);
  WriteText(preload_, "damaged");
  try {
    RefreshHeaderFile(game_.paths, false);
    ADD_FAILURE() << "refresh passed";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kToolRunFailed);
    EXPECT_NE(e.Description().find(preload_), std::string::npos) << e.Description();
  }
}

}  // namespace
}  // namespace gs::test
