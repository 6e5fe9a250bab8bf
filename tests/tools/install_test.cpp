// Installing Kt06 into a game: the program's folder, the registry values,
// what is kept, what is refused before anything is written, and that the
// program's start-up conditions hold afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "catalog/archive_tool.h"
#include "common/error.h"
#include "common/fs.h"
#include "registry/bas_registry.h"
#include "registry/reg_values.h"
#include "tests/registry/scratch_hive.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/test_process.h"
#include "tools/install/installation.h"
#include "tools/install/wine_prefix.h"
#include "tools/sample/sample_game.h"

namespace gs::test {
namespace {

namespace fs = std::filesystem;
using Outcome = InstallNote::Outcome;

constexpr SampleSizes kSmall{.Entries = 120, .Records = 12, .Seed = 5};

// Rewrites an archive of the game with one entry changed (or dropped when
// data is empty), through the tests' own archive writer.
void ChangeEntry(const std::string& archivePath, const std::string& name, const std::vector<uint8_t>& data) {
  LayoutArchive archive = ReadLayout(archivePath);
  std::vector<LayoutEntry> entries;
  for (LayoutEntry& e : archive.entries) {
    if (e.name != name) {
      entries.push_back(std::move(e));
    } else if (!data.empty()) {
      e.data = data;
      entries.push_back(std::move(e));
    }
  }
  WriteBytes(archivePath, BuildLayout(archive.magic, entries, archive.trailer));
}

class Install : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = scratch_ / "Game Dir/";
    WriteSampleGame(game_, {.Sizes = kSmall, .ToolSource = ImpBigPath(), .Force = false});
  }

  std::string At(const std::string& relative) const { return game_ + NativePath(relative); }
  std::string Hive() const { return RegistryLocation(); }

  InstallResult Run() {
    notes_.clear();
    return InstallKt06(game_, {.ToolSource = ImpBigPath()},
                       [&](const InstallNote& n) { notes_.push_back(n); });
  }
  // Runs and returns the error number, 0 when none was raised.
  int32_t RunFailing(std::string* description = nullptr) {
    try {
      Run();
    } catch (const Error& e) {
      if (description != nullptr) *description = e.Description();
      return e.Number();
    }
    return 0;
  }

  const InstallNote* NoteOn(const std::string& nameEnd) const {
    for (const InstallNote& n : notes_) {
      if (n.Name.size() >= nameEnd.size() && n.Name.ends_with(nameEnd)) return &n;
    }
    return nullptr;
  }
  Outcome OutcomeOf(const std::string& nameEnd) const {
    const InstallNote* n = NoteOn(nameEnd);
    EXPECT_NE(n, nullptr) << nameEnd << " not reported";
    return n != nullptr ? n->Result : Outcome::Written;
  }
  size_t CountOf(Outcome outcome) const {
    return static_cast<size_t>(std::count_if(notes_.begin(), notes_.end(),
                                             [&](const InstallNote& n) { return n.Result == outcome; }));
  }

  std::string InstallDir() const { return GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir"); }
  int32_t Setting(const char* name) const { return GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, name); }

  gs::testing::ScratchHive hive_;
  ScratchDir scratch_{"install"};
  std::string game_;
  std::vector<InstallNote> notes_;
};

TEST_F(Install, BuildsTheProgramsFolderFromTheGamesEnglishTables) {
  fs::remove_all(At("KT"));
  const InstallResult result = Run();

  EXPECT_TRUE(result.Changed);
  EXPECT_EQ(result.InstallDir, game_);
  EXPECT_EQ(ReadBytes(At("KT\\ImpBig.exe")), ReadBytes(ImpBigPath()));
  EXPECT_NE(fs::status(At("KT\\ImpBig.exe")).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_TRUE(fs::is_directory(At("KT\\Efiles")));

  const auto templates = EntriesOf(At("KT\\template.viv"));
  const auto local = EntriesOf(At("fe\\local.viv"));
  ASSERT_EQ(templates.size(), 3u);
  EXPECT_EQ(templates.at("frontEnglish.bin"), local.at("FrontEnglish.bin"));
  EXPECT_EQ(templates.at("gameEnglish.bin"), local.at("GameEnglish.bin"));
  EXPECT_EQ(templates.at("emaildata.dta"), EntriesOf(At("db\\tuning.viv")).at("emaildata.dta"));

  EXPECT_EQ(InstallDir(), game_);
  EXPECT_EQ(Setting("TypeId"), 0);
  EXPECT_EQ(Setting("LanguageId"), 1);
  EXPECT_EQ(Setting("MakeBackup"), 1);
  EXPECT_EQ(notes_.size(), 8u);
  EXPECT_EQ(CountOf(Outcome::Written), notes_.size());
  EXPECT_EQ(NoteOn("\"Install Dir\"")->What, "\"" + game_ + "\"");
}

TEST_F(Install, OnlyRegistersAGameWhoseProgramsFolderIsComplete) {
  const auto before = TreeOf(At("KT"));
  const InstallResult result = Run();
  EXPECT_EQ(TreeOf(At("KT")), before);
  EXPECT_TRUE(result.Changed);
  for (const char* part : {"KT/", "ImpBig.exe", "template.viv", "Efiles/"}) {
    EXPECT_EQ(OutcomeOf(NativePath(part)), Outcome::Kept) << part;
  }
  EXPECT_EQ(CountOf(Outcome::Written), 4u);
  EXPECT_EQ(InstallDir(), game_);
}

TEST_F(Install, ASecondRunChangesNothing) {
  fs::remove_all(At("KT"));
  Run();
  const auto hive = ReadBytes(Hive());
  const auto tree = TreeOf(game_);
  const InstallResult again = Run();
  EXPECT_FALSE(again.Changed);
  EXPECT_EQ(CountOf(Outcome::Written), 0u);
  EXPECT_EQ(CountOf(Outcome::Warning), 0u);
  EXPECT_EQ(CountOf(Outcome::Kept), 8u);
  EXPECT_EQ(ReadBytes(Hive()), hive);
  EXPECT_EQ(TreeOf(game_), tree);
}

TEST_F(Install, NeverReplacesTheTemplatesWithTablesTranslatedSince) {
  Run();
  const auto templates = ReadBytes(At("KT\\template.viv"));
  const auto tuning = ReadBytes(At("db\\tuning.viv"));
  ChangeEntry(At("fe\\local.viv"), "FrontEnglish.bin", Pattern(900, 1));
  ChangeEntry(At("db\\tuning.viv"), "emaildata.dta", {});
  EXPECT_FALSE(Run().Changed);
  EXPECT_EQ(ReadBytes(At("KT\\template.viv")), templates);

  // Gone, it is built again from the game's tables as they are now, and
  // only when all three are there.
  fs::remove(At("KT\\template.viv"));
  std::string description;
  EXPECT_EQ(RunFailing(&description), rt::FileNotFound);
  EXPECT_NE(description.find("\"emaildata.dta\""), std::string::npos) << description;
  EXPECT_FALSE(fs::exists(At("KT\\template.viv")));
  WriteBytes(At("db\\tuning.viv"), tuning);
  EXPECT_TRUE(Run().Changed);
  EXPECT_EQ(EntriesOf(At("KT\\template.viv")).at("frontEnglish.bin"), Pattern(900, 1));
}

TEST_F(Install, KeepsAnArchiveToolOfItsOwnWithAWarningAndRepairsAMissingExecuteBit) {
  WriteText(At("KT\\ImpBig.exe"), "another tool");
  Run();
  EXPECT_EQ(OutcomeOf("ImpBig.exe"), Outcome::Warning);
  EXPECT_EQ(ReadBytes(At("KT\\ImpBig.exe")),
            std::vector<uint8_t>({'a', 'n', 'o', 't', 'h', 'e', 'r', ' ', 't', 'o', 'o', 'l'}));

  // The same tool left without its execute bits (a copy killed before they
  // were set) gets them back.
  WriteBytes(At("KT\\ImpBig.exe"), ReadBytes(ImpBigPath()));
  fs::permissions(At("KT\\ImpBig.exe"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(Run().Changed);
  EXPECT_EQ(OutcomeOf("ImpBig.exe"), Outcome::Written);
  EXPECT_NE(fs::status(At("KT\\ImpBig.exe")).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_FALSE(Run().Changed);
}

TEST_F(Install, KeepsRegistryValuesAlreadyThere) {
  // The game's own installation registered another copy of the game.
  const std::string other = scratch_ / "Other Game/";
  WriteSampleGame(other, {.Sizes = kSmall, .ToolSource = ImpBigPath(), .Force = false});
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", other);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId", 2);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", 0);

  const InstallResult result = Run();
  EXPECT_EQ(result.FoundDir, other);
  EXPECT_EQ(InstallDir(), other);
  EXPECT_EQ(Setting("TypeId"), 2);
  EXPECT_EQ(Setting("LanguageId"), 1);
  EXPECT_EQ(Setting("MakeBackup"), 0);
  EXPECT_EQ(OutcomeOf("\"Install Dir\""), Outcome::Warning);
  EXPECT_NE(NoteOn("\"Install Dir\"")->What.find(other), std::string::npos);
  EXPECT_EQ(OutcomeOf("\"TypeId\""), Outcome::Kept);
  EXPECT_EQ(OutcomeOf("\"LanguageId\""), Outcome::Written);

  // The same folder under another name is no warning.
  fs::create_directory_symlink(game_, scratch_ / "link");
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", scratch_ / "link/");
  Run();
  EXPECT_EQ(OutcomeOf("\"Install Dir\""), Outcome::Kept);
}

TEST_F(Install, EndsWithAnErrorWhenKeptValuesStopTheProgram) {
  const std::string withoutSeparator = game_.substr(0, game_.size() - 1);
  for (const std::string& installDir : {withoutSeparator, std::string(), scratch_ / "nowhere/"}) {
    SCOPED_TRACE(installDir);
    SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", installDir);
    EXPECT_EQ(RunFailing(), rt::InvalidPropertyValue);
    EXPECT_EQ(OutcomeOf("\"Install Dir\""), Outcome::Warning);
    EXPECT_EQ(InstallDir(), installDir);
  }
  SetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir", game_);
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId", 6);
  SetRegString(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup", "yes, please");
  std::string description;
  EXPECT_EQ(RunFailing(&description), rt::InvalidPropertyValue);
  EXPECT_NE(description.find(Hive()), std::string::npos) << description;
  EXPECT_EQ(OutcomeOf("\"LanguageId\""), Outcome::Warning);
  EXPECT_EQ(OutcomeOf("\"MakeBackup\""), Outcome::Warning);
  // Everything else was written all the same.
  EXPECT_EQ(Setting("TypeId"), 0);
  EXPECT_EQ(Setting("LanguageId"), 6);
}

TEST_F(Install, RefusesWhatIsNoGameWithNothingWritten) {
  const auto refused = [&](const std::string& expected) {
    const auto tree = TreeOf(game_);
    std::string description;
    EXPECT_EQ(RunFailing(&description), rt::FileNotFound);
    EXPECT_NE(description.find(expected), std::string::npos) << description;
    EXPECT_EQ(TreeOf(game_), tree);
    EXPECT_FALSE(fs::exists(Hive()));
  };
  fs::remove_all(At("KT"));

  // An English table missing from its archive.
  const auto local = ReadBytes(At("fe\\local.viv"));
  ChangeEntry(At("fe\\local.viv"), "GameEnglish.bin", {});
  refused("\"GameEnglish.bin\"");
  WriteBytes(At("fe\\local.viv"), local);

  // A template archive that lacks a template.
  fs::create_directories(At("KT"));
  WriteBytes(At("KT\\template.viv"), BuildLayout("BIGF", {{.name = "frontEnglish.bin", .data = {1, 2}}}));
  refused("\"gameEnglish.bin\"");
  fs::remove_all(At("KT"));

  // Archives missing: each is named.
  fs::remove(At("db\\tuning.viv"));
  fs::remove(At("preload\\fmisc.viv"));
  refused(NativePath("db\\tuning.viv and preload\\fmisc.viv are missing"));
  fs::remove_all(game_);
  fs::create_directories(game_);
  refused(NativePath("fe\\local.viv, db\\tuning.viv and preload\\fmisc.viv are missing"));

  fs::remove_all(game_);
  EXPECT_EQ(RunFailing(), rt::PathNotFound);
}

TEST_F(Install, ReportsAHiveThatCannotBeWrittenBeforeWritingAnything) {
  fs::remove_all(At("KT"));
  fs::create_directories(fs::path(Hive()).parent_path());
  WriteText(Hive(), "Windows Registry Editor Version 5.00\r\n\r\n");
  fs::permissions(Hive(), fs::perms::owner_read);
  const auto tree = TreeOf(game_);
  std::string description;
  EXPECT_EQ(RunFailing(&description), ErrRegRead);
  EXPECT_NE(description.find(Hive()), std::string::npos) << description;
  EXPECT_NE(description.find("writable"), std::string::npos) << description;
  EXPECT_EQ(TreeOf(game_), tree);

  // A damaged hive is reported as such, and left as it is.
  fs::permissions(Hive(), fs::perms::owner_read | fs::perms::owner_write);
  WriteText(Hive(), "Windows Registry Editor Version 5.00\r\n\r\n\"Install Dir\"=\"/g/\"\r\n");
  const auto damaged = ReadBytes(Hive());
  EXPECT_EQ(RunFailing(&description), rt::UnknownDataFormat);
  EXPECT_NE(description.find(Hive()), std::string::npos) << description;
  EXPECT_EQ(TreeOf(game_), tree);
  EXPECT_EQ(ReadBytes(Hive()), damaged);

  // Installed while it was writable, the program could not open its keys now.
  fs::remove(Hive());
  Run();
  fs::permissions(Hive(), fs::perms::owner_read);
  EXPECT_EQ(RunFailing(), ErrRegRead);
}

TEST_F(Install, LeavesWhatTheProgramChecksAtStartUp) {
  fs::remove_all(At("KT"));
  Run();

  // What the program does when it starts.
  const std::string installDir = GetRegString(HKEY_LOCAL_MACHINE, kGameKey, "Install Dir");
  ASSERT_FALSE(installDir.empty());
  EXPECT_EQ(installDir.back(), kPathSeparator);
  CatalogPaths paths;
  SetProgramFolder(paths, installDir);
  EXPECT_TRUE(HasOrdinaryFile(paths.WorkDir));
  const int32_t type = GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "TypeId");
  const int32_t language = GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "LanguageId");
  const int32_t backup = GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "MakeBackup");
  ASSERT_GE(type, 0);
  ASSERT_LT(static_cast<size_t>(type), kFileTypes.size());
  ASSERT_GE(language, 0);
  ASSERT_LT(static_cast<size_t>(language), kLanguages.size());
  EXPECT_TRUE(backup == 0 || backup == 1);

  // The first extract of the chosen table, through the installed tool.
  const std::string name =
      CurrentFileName(kFileTypes[static_cast<size_t>(type)], kLanguages[static_cast<size_t>(language)]);
  SetWorkPaths(paths, name);
  ExtractEntry(paths, paths.GameArchivePath, name, paths.WorkTablePath);
  ExtractEntry(paths, TemplateArchivePath(paths.WorkDir), TemplateNameOf(KindOf(name)),
               paths.TemplateCopyPath);
  EXPECT_EQ(ReadBytes(paths.WorkTablePath), EntriesOf(paths.GameArchivePath).at(name));
  EXPECT_EQ(
      ReadBytes(paths.TemplateCopyPath),
      EntriesOf(paths.GameArchivePath).at(CurrentFileName(kFileTypes[static_cast<size_t>(type)], "English")));
}

TEST_F(Install, CommandSaysWhatItDidAndThatASecondRunHasNothingToDo) {
  const std::string glossmith = ExecutableDir() + "glossmith";
  fs::remove_all(At("KT"));
  ProgramResult run = RunProgram({glossmith, "install", game_});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Registry: " + Hive()), std::string::npos) << run.out;
  for (const char* line :
       {"written  KT/ImpBig.exe: the archive tool, a copy of ",
        "written  KT/template.viv: the English templates",
        "written  HKEY_LOCAL_MACHINE\\Software\\DE ROROVO\\Kt06 \"MakeBackup\": 1", "Kt06 is installed"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in:\n" << run.out;
  }
  run = RunProgram({glossmith, "install", game_});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Nothing to do"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("written"), std::string::npos) << run.out;

  run = RunProgram({glossmith, "install", scratch_ / "nothing"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("error 76"), std::string::npos) << run.err;
  EXPECT_EQ(RunProgram({glossmith, "install", game_, "more"}).exitCode, 2);
  EXPECT_EQ(RunProgram({glossmith, "install", game_, "--wine-prefix", game_}).exitCode, 2);
}

TEST_F(Install, SampleGameCommandRegistersTheGameItWrote) {
  const std::string sample = scratch_ / "sample";
  const ProgramResult run =
      RunProgram({ExecutableDir() + "glossmith", "sample-game", sample, "--entries", "30", "--install"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("kept     KT/template.viv"), std::string::npos) << run.out;
  EXPECT_EQ(InstallDir(), sample + "/");
  EXPECT_EQ(Setting("LanguageId"), 1);
}

// An environment variable set while the object lives.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// A Wine prefix of the test's own, as Wine lays one out: system.reg with the
// keys below HKEY_LOCAL_MACHINE, and dosdevices with a link per drive.
class WinePrefixTest : public Install {
 protected:
  std::string Prefix() const { return scratch_ / "prefix"; }
  void Registry(const std::string& keys) const {
    fs::create_directories(Prefix());
    WriteText(Prefix() + "/system.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + keys);
  }
  void Drive(const std::string& name, const std::string& target) const {
    fs::create_directories(Prefix() + "/dosdevices");
    fs::create_directory_symlink(target, Prefix() + "/dosdevices/" + name);
  }
  // The game below drive_c, in folders whose letter case differs from the
  // path the installer stored: C:\Program Files (x86)\EA SPORTS\NHL 06.
  void GameOnDriveC() const {
    fs::create_directories(Prefix() + "/drive_c/Program Files (x86)/EA Sports");
    fs::create_directory_symlink(game_, Prefix() + "/drive_c/Program Files (x86)/EA Sports/nhl 06");
    Drive("c:", "../drive_c");
  }
  std::string Found() const { return FindGameInWinePrefix(Prefix()).GameDir; }
  std::string Failure() const {
    try {
      FindGameInWinePrefix(Prefix());
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), rt::FileNotFound) << e.Description();
      return e.Description();
    }
    ADD_FAILURE() << "found a game";
    return {};
  }
  std::string Canonical(const std::string& dir) const { return fs::canonical(dir).string() + "/"; }

  static constexpr const char* kGameKey64 = "[Software\\\\Wow6432Node\\\\DE ROROVO\\\\NHL06] 1700000000\n";
  static constexpr const char* kInstallDir =
      "\"Install Dir\"=\"C:\\\\Program Files (x86)\\\\EA SPORTS\\\\NHL 06\\\\\"\n";
};

TEST_F(WinePrefixTest, FindsTheGameWhereItsInstallerRegisteredIt) {
  // A 64-bit prefix; the plain key holds what a 64-bit program would have written.
  GameOnDriveC();
  Registry(std::string(
               "[Software\\\\DE ROROVO\\\\NHL06] 1700000000\n\"Install Dir\"=\"C:\\\\Elsewhere\\\\\"\n\n") +
           kGameKey64 + "#time=1da1e2f3a4b5c6d\n\"Version\"=dword:00000001\n" + kInstallDir);
  EXPECT_EQ(Found(), Canonical(game_));

  // A 32-bit prefix: other letter case in the names, str: values, Wine's
  // escapes for letters past ASCII, another drive and no trailing backslash.
  fs::remove_all(Prefix());
  const std::string games = scratch_ / "games";
  fs::create_directories(games + "/Spiele f\u00fcr Eishockey");
  fs::create_directory_symlink(game_, games + "/Spiele f\u00fcr Eishockey/NHL 06");
  Drive("d:", games);
  Registry(
      "[SOFTWARE\\\\de rorovo\\\\nhl06] 1700000000\n\"install dir\"=str:\"D:\\\\Spiele f\\xfcr "
      "Eishockey\\\\NHL 06\"\n");
  EXPECT_EQ(Found(), Canonical(game_));
}

TEST_F(WinePrefixTest, APrefixWithoutTheGameSaysWhatWasLookedAt) {
  const std::string file = Prefix() + "/system.reg";
  fs::create_directories(Prefix());
  EXPECT_EQ(Failure(), "The Wine prefix \"" + Prefix() + "\" holds no game: there is no " + file + ".");

  Registry("[Software\\\\Wine] 1700000000\n\"Install Dir\"=\"C:\\\\Game\\\\\"\n");
  EXPECT_EQ(Failure(), "The Wine prefix \"" + Prefix() + "\" holds no game: " + file +
                           " has no \"Install Dir\" in [Software\\Wow6432Node\\DE ROROVO\\NHL06] or "
                           "[Software\\DE ROROVO\\NHL06].");

  Registry(std::string(kGameKey64) + kInstallDir);
  const std::string origin = "\"Install Dir\" of [Software\\Wow6432Node\\DE ROROVO\\NHL06] in " + file +
                             " is \"C:\\Program Files (x86)\\EA SPORTS\\NHL 06\\\"";
  EXPECT_EQ(Failure(),
            origin + ", but the prefix maps no drive C: there is no " + Prefix() + "/dosdevices/c:.");
  Drive("c:", "../drive_c");
  fs::create_directories(Prefix() + "/drive_c/Program Files (x86)");
  EXPECT_EQ(Failure(),
            origin + ", but " + Prefix() +
                "/dosdevices/c:/Program Files (x86)/EA SPORTS does not exist, whatever its letter case.");

  // Each prefix is tried in turn, and every one is reported.
  try {
    FindGameInWinePrefixes({scratch_ / "none", Prefix()});
    ADD_FAILURE() << "found a game";
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find(scratch_ / "none/system.reg"), std::string::npos) << e.Description();
    EXPECT_NE(e.Description().find("EA SPORTS does not exist"), std::string::npos) << e.Description();
  }

  WriteText(file, "Windows Registry Editor Version 5.00\n");
  try {
    Found();
    ADD_FAILURE() << "read a file that is no Wine registry file";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), rt::UnknownDataFormat) << e.Description();
  }
}

TEST_F(WinePrefixTest, InstallFindsTheGameInTheNamedOrTheUsualPrefix) {
  const std::string glossmith = ExecutableDir() + "glossmith";
  GameOnDriveC();
  Registry(std::string(kGameKey64) + kInstallDir);
  ProgramResult run = RunProgram({glossmith, "install", "--wine-prefix", Prefix()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Found the game in a Wine prefix: \"Install Dir\" of"), std::string::npos)
      << run.out;
  EXPECT_EQ(InstallDir(), Canonical(game_));

  // Without a folder: $WINEPREFIX, then ~/.wine.
  fs::remove(Hive());
  const std::string home = scratch_ / "home";
  fs::create_directories(home);
  const ScopedVariable homeVariable("HOME", home);
  const ScopedVariable prefixVariable("WINEPREFIX", scratch_ / "elsewhere");
  run = RunProgram({glossmith, "install"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(scratch_ / "elsewhere/system.reg"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(home + "/.wine/system.reg"), std::string::npos) << run.err;
  fs::rename(Prefix(), home + "/.wine");
  run = RunProgram({glossmith, "install"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(InstallDir(), Canonical(game_));
}

}  // namespace
}  // namespace gs::test
