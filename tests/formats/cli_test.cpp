// The glossmith commands over the formats, run as the built program.
#include <gtest/gtest.h>

#include "catalog/command_line.h"
#include "common/fs.h"
#include "format_test_support.h"
#include "tests/support/test_process.h"
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
