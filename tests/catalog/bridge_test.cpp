// The archive tool bridge with the real ImpBig.exe in a fake installation.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/archive_tool.h"
#include "catalog/command_line.h"
#include "catalog/shell_wait.h"
#include "common/error.h"
#include "tests/catalog/fake_installation.h"
#include "tests/support/bigf_layout.h"

namespace gs::test {
namespace {

const std::vector<uint8_t> kFront = Pattern(3000, 1);
const std::vector<uint8_t> kNew = Pattern(2500, 2);

std::string Missing(const std::string& path) {
  return "The file \"" + path + "\" does not exist or cannot be read.";
}

// Runs f and returns the error it raises.
template <typename F>
Error ErrorOf(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return Error(0, "");
}

TEST(ShellWait, ReturnsTheExitCodeAndPassesTheArgumentsSplit) {
  FakeInstallation game;
  const std::string out = game / "args.txt";
  game.ReplaceToolWithDouble("args\nexit 3");
  const std::string line =
      CommandLineArgument(game.paths.ToolPath) + " " + CommandLineArgument(out) + R"( "a b" c\\d "e\"f" "")";
  EXPECT_EQ(RunAndWait(game.paths.ToolPath, line, 0), 3);
  EXPECT_EQ(ReadBytes(out), (std::vector<uint8_t>{'[', 'a', ' ', 'b', ']', '[', 'c', '\\', '\\', 'd', ']',
                                                  '[', 'e', '"', 'f', ']', '[', ']'}));
}

TEST(ShellWait, AProgramThatCannotStartRaises53) {
  FakeInstallation game;
  const std::string absent = game / "KT\\absent.exe";
  Error e = ErrorOf([&] { RunAndWait(absent, absent, 0); });
  EXPECT_EQ(e.Number(), 53);
  EXPECT_EQ(e.Description(), Missing(absent));
  EXPECT_EQ(e.Source(), "Glossmith");

  const std::string notProgram = game / "KT\\notes.txt";
  WriteText(notProgram, "not a program");
  e = ErrorOf([&] { RunAndWait(notProgram, notProgram, 0); });
  EXPECT_EQ(e.Description(), Missing(notProgram));
}

TEST(ArchiveToolBridge, CommandLinesAsTheToolExpectsThem) {
  CatalogPaths p;
  p.ToolPath = R"(C:\Game\KT\ImpBig.exe)";
  EXPECT_EQ(
      ExtractCommandLine(p, R"(C:\Game\fe\local.viv)", "FrontFrench.bin", R"(C:\Game\KT\FrontFrench.bin)"),
      R"(C:\Game\KT\ImpBig.exe /e C:\Game\fe\local.viv FrontFrench.bin C:\Game\KT\FrontFrench.bin)");
  EXPECT_EQ(
      InsertCommandLine(p, R"(C:\Game\fe\local.viv)", "FrontFrench.bin", R"(C:\Game\KT\FrontFrench.bin)"),
      R"(C:\Game\KT\ImpBig.exe /i C:\Game\fe\local.viv FrontFrench.bin C:\Game\KT\FrontFrench.bin /c)");
  EXPECT_EQ(AfterInsertCommandLine(p, R"(C:\Game\fe\local.viv)"),
            R"(C:\Game\KT\ImpBig.exe /r C:\Game\fe\local.viv)");

  p.ToolPath = R"(C:\Program Files\Game\KT\ImpBig.exe)";
  EXPECT_EQ(AfterInsertCommandLine(p, R"(C:\Program Files\Game\preload\fmisc.viv)"),
            R"("C:\Program Files\Game\KT\ImpBig.exe" /r "C:\Program Files\Game\preload\fmisc.viv")");
}

class ExtractEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWorkPaths(game_.paths, "FrontFrench.bin");
    WriteBytes(game_.paths.GameArchivePath, BuildLayout("BIGF", {{"FrontFrench.bin", kFront}}));
  }
  FakeInstallation game_;
  const CatalogPaths& p_ = game_.paths;
};

TEST_F(ExtractEntryTest, ExtractsIntoTheDestinationReplacingAnOldFile) {
  WriteText(p_.WorkTablePath, "left from an earlier cycle");
  ExtractEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath);
  EXPECT_EQ(ReadBytes(p_.WorkTablePath), kFront);
  // The tool ignores letter case; a blank in the destination's name is fine.
  const std::string blank = p_.WorkDir + "front copy.bin";
  ExtractEntry(p_, p_.GameArchivePath, "frontfrench.BIN", blank);
  EXPECT_EQ(ReadBytes(blank), kFront);
}

TEST_F(ExtractEntryTest, MissingEntryFailsWithoutLeavingTheOldFile) {
  WriteText(p_.WorkTablePath, "left from an earlier cycle");
  const Error e = ErrorOf([&] { ExtractEntry(p_, p_.GameArchivePath, "FrontGerman.bin", p_.WorkTablePath); });
  EXPECT_EQ(e.Number(), 53);
  EXPECT_EQ(e.Description(), "The file FrontGerman.bin does not found in " + p_.GameArchivePath);
  EXPECT_EQ(e.Source(), "Glossmith");
  EXPECT_FALSE(std::filesystem::exists(p_.WorkTablePath));
}

TEST_F(ExtractEntryTest, TheArchiveIsCheckedBeforeTheTool) {
  const std::string absent = p_.InstallDir + NativePath("db\\tuning.viv");
  Error e = ErrorOf([&] { ExtractEntry(p_, absent, "emaildata.dta", p_.WorkTablePath); });
  EXPECT_EQ(e.Number(), 53);
  EXPECT_EQ(e.Description(), Missing(absent));

  std::filesystem::remove(p_.ToolPath);
  e = ErrorOf([&] { ExtractEntry(p_, absent, "emaildata.dta", p_.WorkTablePath); });
  EXPECT_EQ(e.Description(), Missing(absent));
  e = ErrorOf([&] { ExtractEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath); });
  EXPECT_EQ(e.Number(), 53);
  EXPECT_EQ(e.Description(), Missing(p_.ToolPath));
}

TEST_F(ExtractEntryTest, AToolThatCannotStartRaisesInsteadOfPassingSilently) {
  std::filesystem::remove(p_.ToolPath);
  WriteText(p_.ToolPath, "not a program");
  const Error e = ErrorOf([&] { ExtractEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath); });
  EXPECT_EQ(e.Number(), 53);
  EXPECT_EQ(e.Description(), Missing(p_.ToolPath));
}

TEST_F(ExtractEntryTest, AToolThatWritesNothingOrFailsGivesTheNotFoundError) {
  const std::string notFound = "The file FrontFrench.bin does not found in " + p_.GameArchivePath;
  game_.ReplaceToolWithDouble("exit 0");
  EXPECT_EQ(ErrorOf([&] {
              ExtractEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath);
            }).Description(),
            notFound);
  // A tool that reports failure does not pass, whatever it left behind.
  game_.ReplaceToolWithDouble("write 4 partial\nexit 1");
  EXPECT_EQ(ErrorOf([&] {
              ExtractEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath);
            }).Description(),
            notFound);
}

TEST_F(ExtractEntryTest, InsertAndAfterInsertPutTheFileIntoTheArchive) {
  WriteBytes(p_.WorkTablePath, kNew);
  InsertEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath);
  AfterInsert(p_, p_.GameArchivePath);
  const LayoutArchive a = ReadLayout(p_.GameArchivePath);
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].data, kNew);
  EXPECT_EQ(a.totalSize, a.fileSize);
}

TEST_F(ExtractEntryTest, FailedInsertOrAfterInsertRaisesNamingTheArchive) {
  WriteBytes(p_.WorkTablePath, kNew);
  WriteText(p_.GameArchivePath, "not an archive");
  Error e = ErrorOf([&] { InsertEntry(p_, p_.GameArchivePath, "FrontFrench.bin", p_.WorkTablePath); });
  EXPECT_EQ(e.Number(), kToolRunFailed);
  EXPECT_NE(e.Description().find("\"" + p_.GameArchivePath + "\""), std::string::npos) << e.Description();
  EXPECT_NE(e.Description().find("exit code 1"), std::string::npos) << e.Description();
  e = ErrorOf([&] { AfterInsert(p_, p_.GameArchivePath); });
  EXPECT_EQ(e.Number(), kToolRunFailed);
  EXPECT_NE(e.Description().find("\"" + p_.GameArchivePath + "\""), std::string::npos) << e.Description();
  EXPECT_EQ(ReadBytes(p_.GameArchivePath),
            (std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'}));

  std::filesystem::remove(p_.ToolPath);
  e = ErrorOf([&] { AfterInsert(p_, p_.GameArchivePath); });
  EXPECT_EQ(e.Number(), 53);
  EXPECT_EQ(e.Description(), Missing(p_.ToolPath));
}

}  // namespace
}  // namespace gs::test
