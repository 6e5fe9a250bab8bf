// The glossmith commands over the formats, run as the built program.
#include <gtest/gtest.h>

#include "catalog/command_line.h"
#include "common/fs.h"
#include "format_test_support.h"
#include "tests/support/test_process.h"
#include "archive/bigf.h"
#include "tools/sample/sample_tables.h"

namespace gs {
namespace {

using test::B;
using namespace std::literals;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class GlossmithCli : public test::ScratchFolderTest {
 protected:
  // Runs the program with the arguments of a command line (no paths with blanks).
  Outcome Glossmith(const std::string& args) {
    std::vector<std::string> argv = SplitCommandLine("glossmith " + args);
    argv[0] = ExecutableDir() + "glossmith";
    test::ProgramResult run = test::RunProgram(argv);
    return {run.exitCode, std::move(run.out), std::move(run.err)};
  }
  std::string Conversion(const std::string& type, const std::string& table, const std::string& english,
                         const std::string& text) {
    return "--type " + type + " --table " + Path(table) + " --template " + Path(english) + " --text " +
           Path(text);
  }
};

TEST_F(GlossmithCli, ExportThenImportGivesTheTableBack) {
  WriteSampleTables(dir_.string(), {.Entries = 300, .Records = 40, .Seed = 12});
  for (const auto& [type, table, english] : {std::tuple{"Front", "FrontFrench.bin", "frontEnglish.bin"},
                                             std::tuple{"Game", "GameFrench.bin", "gameEnglish.bin"},
                                             std::tuple{"E-Mail", "emaildataFrench.dta", "emaildata.dta"}}) {
    SCOPED_TRACE(type);
    Outcome run = Glossmith("export " + Conversion(type, table, english, "out.txt"));
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes text = Read("out.txt");
    const Bytes a = B("\xD0\xB0");  // the Cyrillic а in edit form
    EXPECT_NE(std::search(text.begin(), text.end(), a.begin(), a.end()), text.end());
    // The imported table exports to the same text again.
    Write("in.txt", test::WithByteOrderMark(text));
    run = Glossmith("import " + Conversion(type, table, english, "in.txt"));
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(Glossmith("export " + Conversion(type, table, english, "again.txt")).status, 0);
    EXPECT_EQ(Read("again.txt"), text);
  }
}

TEST_F(GlossmithCli, DecodeAndEncodeFollowTheTypeAndTheLanguage) {
  const Bytes stored = B({0xC7, 0x80, 0x0A, 0xC3, 0x80});
  Write("strings.bin", stored);
  Write("GameFrench.bin", stored);
  for (const auto& [args, out] : std::vector<std::pair<std::string, std::string>>{
           {"--type Game --language French(Russian) " + Path("strings.bin"), "\xD0\x90\n\xC3\x80"},
           {"--type Front " + Path("strings.bin") + " --language French", "\xC7\x80\n\xD0\x90"},
           {"--type Game " + Path("GameFrench.bin"), "\xD0\x90\n\xC3\x80"},
           // Tables outside the French slot keep their letters.
           {"--type Front " + Path("strings.bin"), "\xC7\x80\n\xC3\x80"},
           {"--type Game --language German " + Path("GameFrench.bin"), "\xC7\x80\n\xC3\x80"},
       }) {
    const Outcome run = Glossmith("decode " + args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, out) << args;
  }
  Write("edit.txt", B("\xD0\x90\xD1\x8F"sv));
  EXPECT_EQ(Glossmith("encode --type Game --language French " + Path("edit.txt")).out, "\xC7\x80\xC7\xBF");
  EXPECT_EQ(Glossmith("encode --type E-Mail --language French " + Path("edit.txt")).out, "\xC3\x80\xC3\xBF");
  EXPECT_EQ(Glossmith("encode --type E-Mail " + Path("edit.txt")).out, "\xD0\x90\xD1\x8F");
}

TEST_F(GlossmithCli, FailuresExitNonZeroWithAMessage) {
  Outcome run = Glossmith("export " + Conversion("Front", "absent.bin", "absent.eng", "out.txt"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("error 53"), std::string::npos) << run.err;
  EXPECT_FALSE(Exists("out.txt"));

  Write("FrontGerman.bin", test::StringTableOf({B("a"), B("b")}));
  Write("frontEnglish.bin", test::StringTableOf({B("A"), B("B")}));
  Write("short.txt", test::WithByteOrderMark(B("a\0A\r\n"sv)));
  run = Glossmith("import " + Conversion("Front", "FrontGerman.bin", "frontEnglish.bin", "short.txt"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("error 7777: Unknown data format for file '" + Path("short.txt") + "'"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Read("FrontGerman.bin"), test::StringTableOf({B("a"), B("b")}));

  EXPECT_EQ(Glossmith("export --type front --table a --template b --text c").status, 2);
  run = Glossmith("import --type Game --table a --template b");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--text is needed"), std::string::npos);
  EXPECT_EQ(Glossmith("decode --type Game").status, 2);
  EXPECT_EQ(Glossmith("sample-tables " + Path("x") + " --entries 0").status, 2);
}

TEST_F(GlossmithCli, HelpNamesEveryFormatCommand) {
  const Outcome run = Glossmith("--help");
  EXPECT_EQ(run.status, 0);
  for (const char* command : {"export", "import", "decode", "encode", "sample-tables"}) {
    EXPECT_NE(run.out.find(command), std::string::npos) << command;
  }
  EXPECT_EQ(Glossmith("export --help").status, 0);
}

TEST_F(GlossmithCli, SampleTablesWritesEveryTable) {
  const Outcome run = Glossmith("sample-tables " + Path("game") + " --entries 20 --records 3");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 20);
  EXPECT_EQ(ReadWholeFile(Path("game/FrontCzech.bin")), MakeStringTable(FileKind::Front, "Czech", 20, 2006));
  EXPECT_EQ(ReadWholeFile(Path("game/emaildataFinnish.dta")), MakeEmailData("Finnish", 3, 2006));
}

}  // namespace
}  // namespace gs

namespace gs {
namespace {

class GlossmithQualityCli : public GlossmithCli {
 protected:
  void SetUp() override {
    GlossmithCli::SetUp();
    Write("FrontGerman.bin", test::StringTableOf({B("Spiel"), B("Tor %s"), B("x")}));
    Write("frontEnglish.bin", test::StringTableOf({B("Game"), B("Goal %d"), B("x")}));
  }
  std::string Tables() const {
    return "--type Front --table " + Path("FrontGerman.bin") + " --template " + Path("frontEnglish.bin");
  }
  // Standard output with its line ends as on POSIX (Windows writes text with 0x0D 0x0A).
  Outcome Run(const std::string& args) {
    Outcome run = Glossmith(args);
    std::erase(run.out, '\r');
    return run;
  }
};

TEST_F(GlossmithQualityCli, StatsAndCheckOfATable) {
  Outcome run = Run("stats " + Tables());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "translated 2 of 3 entries (66.7 %)\n"
            "translated 11 of 12 characters of English text (91.7 %)\n");
  run = Run("check " + Tables());
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.out, "2: placeholders: missing %d; not in the English text %s\nChecks: 1 placeholders\n");
  // An edited text in its place: its fault mended, another made.
  Write("edited.txt", B("Spiel\0Game\r\nTor %d\0Goal %d\r\n\xC5\x99\0x\r\n"sv));
  run = Run("check " + Tables() + " --text " + Path("edited.txt"));
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.out,
            "3: characters: U+0159 \xC5\x99 is in none of the game's tables read\nChecks: 1 characters\n");
  Write("edited.txt", B("Spiel\0Game\r\nTor %d\0Goal %d\r\nx\0x\r\n"sv));
  run = Run("check " + Tables() + " --text " + Path("edited.txt"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Checks: nothing found\n");
  EXPECT_EQ(Run("stats " + Tables() + " --text " + Path("edited.txt")).out.substr(0, 34),
            "translated 2 of 3 entries (66.7 %)");
}

TEST_F(GlossmithQualityCli, TheGamesOwnTablesAddTheCharactersTheyHold) {
  const Bytes czech = test::StringTableOf({B("Hra \xC5\x99"), B("G\xC3\xB3l %d"), B("x")});
  const Bytes english = test::StringTableOf({B("Game"), B("Goal %d"), B("x")});
  std::filesystem::create_directories(dir_ / "game" / "fe");
  const bigf::NewEntry entries[] = {{"FrontEnglish.bin", english}, {"FrontCzech.bin", czech}};
  bigf::Create(Path("game/fe/local.viv"), entries);
  Write("edited.txt", B("Spiel\0Game\r\nTor %d\0Goal %d\r\n\xC5\x99\0x\r\n"sv));
  const std::string check = "check " + Tables() + " --text " + Path("edited.txt");
  EXPECT_EQ(Glossmith(check).status, 3);
  const Outcome run = Glossmith(check + " --game " + Path("game"));
  EXPECT_EQ(run.status, 0) << run.out;
  // The tables the game lacks are named, each.
  for (const char* absent : {"FrontFrench.bin", "FrontGerman.bin", "FrontSwedish.bin", "FrontFinnish.bin"}) {
    EXPECT_NE(run.err.find("holds no " + std::string(absent)), std::string::npos) << run.err;
  }
  EXPECT_EQ(run.err.find("FrontCzech.bin"), std::string::npos) << run.err;
}

TEST_F(GlossmithQualityCli, WrongCommandLinesAndErrorsAreNoFindings) {
  for (const char* growth : {"0.5", "two", "nan", ""}) {
    EXPECT_EQ(Glossmith("check " + Tables() + " --max-growth " + growth).status, 2) << growth;
  }
  EXPECT_EQ(Glossmith("check " + Tables() + " --max-growth 5").status, 3);
  EXPECT_EQ(Glossmith("stats " + Tables() + " --game x").status, 2);
  std::filesystem::create_directories(dir_ / "nogame" / "fe");
  Outcome run = Glossmith("check " + Tables() + " --game " + Path("nogame"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("error 53"), std::string::npos) << run.err;
  Write("edited.txt", B("Spiel\0Game\r\n"sv));
  run = Glossmith("check " + Tables() + " --text " + Path("edited.txt"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("error 7777"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace gs
