// Sample game installations: read back with the tests' own archive reader,
// used by the program's archive tool bridge, and never written over a game.
#include "tools/sample/sample_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "catalog/archive_tool.h"
#include "catalog/header_refresh.h"
#include "common/error.h"
#include "common/fs.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"

namespace gs::test {
namespace {

namespace fs = std::filesystem;

constexpr SampleSizes kSmall{.Entries = 250, .Records = 25, .Seed = 77};

SampleGameOptions Small() {
  return {.Sizes = kSmall, .ToolSource = ImpBigPath(), .Force = false};
}

// The generator's file of a kind and language, at the tests' size.
Bytes TableOf(FileKind kind, std::string_view language) {
  return kind == FileKind::Email ? MakeEmailData(language, kSmall.Records, kSmall.Seed)
                                 : MakeStringTable(kind, language, kSmall.Entries, kSmall.Seed);
}

int32_t ErrorNumberOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const Error& e) {
    return e.Number();
  }
  return 0;
}

// One installation, written once, in a folder whose name holds a blank.
class SampleGame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir("sample-game");
    install_ = *scratch_ / "Game Dir/";
    written_ = WriteSampleGame(install_, Small());
  }
  static void TearDownTestSuite() { delete scratch_; }

  static std::string At(const std::string& relative) { return install_ + NativePath(relative); }

  static ScratchDir* scratch_;
  static std::string install_;
  static std::vector<SampleGameFile> written_;
};

ScratchDir* SampleGame::scratch_ = nullptr;
std::string SampleGame::install_;
std::vector<SampleGameFile> SampleGame::written_;

TEST_F(SampleGame, HoldsEveryFileOfTheInstallation) {
  for (const char* file : {"fe\\local.viv", "fe\\local.bh", "db\\tuning.viv", "preload\\fmisc.viv",
                           "KT\\ImpBig.exe", "KT\\template.viv", "glossmith-sample-game.txt"}) {
    EXPECT_TRUE(FileExists(At(file))) << file;
    EXPECT_TRUE(std::any_of(written_.begin(), written_.end(),
                            [&](const SampleGameFile& f) { return f.Name == NativePath(file); }))
        << file << " missing from the report";
  }
  EXPECT_TRUE(fs::is_directory(At("KT\\Efiles")));
  EXPECT_TRUE(fs::is_empty(At("KT\\Efiles")));
  EXPECT_EQ(ReadBytes(At("KT\\ImpBig.exe")), ReadBytes(ImpBigPath()));
  // The program starts only when its folder holds an ordinary file.
  EXPECT_TRUE(HasOrdinaryFile(At("KT\\")));
}

TEST_F(SampleGame, ArchivesHoldTheGeneratorsTablesAndOtherEntries) {
  const auto local = EntriesOf(At("fe\\local.viv"));
  const auto tuning = EntriesOf(At("db\\tuning.viv"));
  for (const std::string_view type : kFileTypes) {
    for (const std::string_view language : kLanguages) {
      const std::string name = CurrentFileName(type, language);
      const auto& entries = KindOf(name) == FileKind::Email ? tuning : local;
      ASSERT_TRUE(entries.contains(name)) << name;
      EXPECT_EQ(entries.at(name), TableOf(KindOf(name), language)) << name;
    }
  }
  // Not only the tables: the tool must find its entry among others.
  EXPECT_GT(local.size(), 12u);
  EXPECT_GT(tuning.size(), 6u);
  for (const char* archive : {"fe\\local.viv", "db\\tuning.viv", "preload\\fmisc.viv", "KT\\template.viv"}) {
    const LayoutArchive a = ReadLayout(At(archive));
    EXPECT_EQ(a.magic, "BIGF") << archive;
    EXPECT_EQ(a.totalSize, a.fileSize) << archive;
  }
}

TEST_F(SampleGame, HeaderCopiesAreTheFirstBytesOfTheStringArchive) {
  const LayoutArchive local = ReadLayout(At("fe\\local.viv"));
  ASSERT_LT(local.headerLength, 0x8000u);
  const std::vector<uint8_t> bytes = ReadBytes(At("fe\\local.viv"));
  const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + local.headerLength);
  EXPECT_EQ(bytes[14] * 256 + bytes[15], static_cast<int>(local.headerLength));
  EXPECT_FALSE(local.trailer.empty());  // the header copies carry what follows the index too
  EXPECT_EQ(ReadBytes(At("fe\\local.bh")), header);
  EXPECT_EQ(EntriesOf(At("preload\\fmisc.viv")).at("local.bh"), header);
}

TEST_F(SampleGame, TemplateArchiveHoldsTheEnglishTables) {
  const auto templates = EntriesOf(At("KT\\template.viv"));
  ASSERT_EQ(templates.size(), 3u);
  EXPECT_EQ(templates.at("frontEnglish.bin"), EntriesOf(At("fe\\local.viv")).at("FrontEnglish.bin"));
  EXPECT_EQ(templates.at("gameEnglish.bin"), EntriesOf(At("fe\\local.viv")).at("GameEnglish.bin"));
  EXPECT_EQ(templates.at("emaildata.dta"), EntriesOf(At("db\\tuning.viv")).at("emaildata.dta"));
}

TEST_F(SampleGame, TheExtractStepTakesEveryTableOutWithTheInstalledTool) {
  CatalogPaths paths;
  SetProgramFolder(paths, install_);
  for (const std::string_view type : kFileTypes) {
    for (const std::string_view language : kLanguages) {
      const std::string name = CurrentFileName(type, language);
      SCOPED_TRACE(name);
      SetWorkPaths(paths, name);
      const FileKind kind = KindOf(name);
      ExtractEntry(paths, paths.GameArchivePath, name, paths.WorkTablePath);
      ExtractEntry(paths, TemplateArchivePath(paths.WorkDir), TemplateNameOf(kind), paths.TemplateCopyPath);
      EXPECT_EQ(ReadBytes(paths.WorkTablePath), TableOf(kind, language));
      EXPECT_EQ(ReadBytes(paths.TemplateCopyPath), TableOf(kind, "English"));
      fs::remove(paths.WorkTablePath);
      fs::remove(paths.TemplateCopyPath);
    }
  }
}

TEST(SampleGameWrites, TheSameBytesForTheSameSeed) {
  const ScratchDir a("sample-a");
  const ScratchDir b("sample-b");
  WriteSampleGame(a.Path(), Small());
  WriteSampleGame(b.Path(), Small());
  auto ta = TreeOf(a.Path());
  auto tb = TreeOf(b.Path());
  ta.erase(NativePath("KT\\ImpBig.exe"));
  tb.erase(NativePath("KT\\ImpBig.exe"));
  EXPECT_EQ(ta, tb);

  SampleGameOptions other = Small();
  other.Sizes.Seed = 78;
  WriteSampleGame(b.Path(), other);  // over a sample game: no force needed
  EXPECT_NE(ReadBytes(b / "fe/local.viv"), ReadBytes(a / "fe/local.viv"));
  EXPECT_EQ(EntriesOf(b / "fe/local.viv").at("GameCzech.bin"),
            MakeStringTable(FileKind::Game, "Czech", kSmall.Entries, 78));
}

TEST(SampleGameWrites, AGameCopyThatTheProgramSavesBackStaysConsistent) {
  const ScratchDir scratch("sample-save");
  WriteSampleGame(scratch.Path(), Small());
  CatalogPaths paths;
  SetProgramFolder(paths, scratch.Path());
  SetWorkPaths(paths, "FrontFrench.bin");
  const Bytes longer = MakeStringTable(FileKind::Front, "French(Russian)", kSmall.Entries + 40, kSmall.Seed);
  WriteBytes(paths.WorkTablePath, longer);
  InsertEntry(paths, paths.GameArchivePath, "FrontFrench.bin", paths.WorkTablePath);
  AfterInsert(paths, paths.GameArchivePath);
  RefreshHeaderFile(paths, true);

  const LayoutArchive local = ReadLayout(paths.GameArchivePath);
  const std::vector<uint8_t> bytes = ReadBytes(paths.GameArchivePath);
  const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + local.headerLength);
  EXPECT_EQ(EntriesOf(paths.GameArchivePath).at("FrontFrench.bin"), longer);
  EXPECT_EQ(ReadBytes(HeaderFilePath(paths.InstallDir)), header);
  EXPECT_EQ(EntriesOf(PreloadArchivePath(paths.InstallDir)).at("local.bh"), header);
  EXPECT_EQ(EntriesOf(PreloadArchivePath(paths.InstallDir)).size(), 3u);
}

TEST(SampleGameWrites, NeverOverAGameOrBesideOtherFilesUnasked) {
  const ScratchDir scratch("sample-refuse");
  SampleGameOptions options = Small();

  // A folder holding something else: only when forced, and the mark then
  // makes it a sample game.
  const std::string other = scratch / "other/";
  fs::create_directories(other);
  WriteText(other + "notes.txt", "mine");
  EXPECT_EQ(ErrorNumberOf([&] { WriteSampleGame(other, options); }), rt::FileAlreadyExists);
  EXPECT_EQ(TreeOf(other).size(), 1u);
  options.Force = true;
  WriteSampleGame(other, options);
  EXPECT_EQ(ReadBytes(other + "notes.txt"), std::vector<uint8_t>({'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(FileExists(other + std::string(kSampleGameMark)));

  // A game: never, forced or not, whichever file of the game is there.
  for (const char* gameFile : {"fe\\local.viv", "db\\tuning.viv", "KT\\ImpBig.exe", "fe\\local.bh"}) {
    SCOPED_TRACE(gameFile);
    const std::string game = scratch / "game/";
    fs::remove_all(game);
    fs::create_directories(game + NativePath("fe"));
    fs::create_directories(game + NativePath("db"));
    fs::create_directories(game + NativePath("KT"));
    WriteText(game + NativePath(gameFile), "the real thing");
    const auto before = TreeOf(game);
    EXPECT_EQ(ErrorNumberOf([&] { WriteSampleGame(game, options); }), rt::FileAlreadyExists);
    EXPECT_EQ(TreeOf(game), before);
  }

  // No tool to copy: nothing is written.
  options.ToolSource = scratch / "absent/ImpBig.exe";
  EXPECT_EQ(ErrorNumberOf([&] { WriteSampleGame(scratch / "new", options); }), rt::FileNotFound);
  EXPECT_FALSE(fs::exists(scratch / "new"));
  // A file where the folder should be.
  WriteText(scratch / "file", "x");
  EXPECT_NE(ErrorNumberOf([&] { WriteSampleGame(scratch / "file", Small()); }), 0);
}

TEST(SampleGameCommand, WritesAndTellsOrRefusesWithAMessage) {
  const ScratchDir scratch("sample-cli");
  const std::string glossmith = ExecutableDir() + "glossmith";
  const std::string game = scratch / NativePath("nested\\game");
  ProgramResult run = RunProgram({glossmith, "sample-game", game, "--entries", "40", "--records", "4"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* name : {"fe\\local.viv", "fe\\local.bh", "db\\tuning.viv", "preload\\fmisc.viv",
                           "KT\\ImpBig.exe", "KT\\template.viv", "KT\\Efiles"}) {
    EXPECT_NE(run.out.find(NativePath(name)), std::string::npos) << name << " not told:\n" << run.out;
  }
  EXPECT_EQ(EntriesOf(game + NativePath("\\fe\\local.viv")).at("GameFrench.bin"),
            MakeStringTable(FileKind::Game, "French(Russian)", 40, SampleSizes().Seed));

  WriteText(scratch / "notes.txt", "mine");
  run = RunProgram({glossmith, "sample-game", scratch.Path()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("error 58"), std::string::npos) << run.err;
  EXPECT_EQ(RunProgram({glossmith, "sample-game"}).exitCode, 2);
  EXPECT_EQ(RunProgram({glossmith, "sample-game", game, "--entries", "0"}).exitCode, 2);
}

}  // namespace
}  // namespace gs::test
