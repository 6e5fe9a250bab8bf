// WordApp against the real LibreOffice Writer, headless.
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "common/error.h"
#include "tests/word/writer_test_support.h"
#include "word/writer/document_lock.h"
#include "word/writer/file_url.h"
#include "word/writer/office_process.h"

namespace gs::testing {
namespace {

const std::string kNul(1, '\0');

// Rows that cover what the game's texts hold: Cyrillic, Latin-1 letters, the
// "@" masks of control bytes, empty fields, blanks where ODF would collapse
// them, tabs, markup characters, number-like texts.
const std::vector<std::pair<std::string, std::string>> kRows = {
    {"Привет, мир", "Hello, world"},
    {"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ", "Latin"},
    {"@@ masked @", "@"},
    {"", "empty left"},
    {"empty right", ""},
    {"", ""},
    {"  two leading, two trailing  ", "a   b\tc"},
    {"<b>&amp;</b> \"quoted\"", "00123"},
    {"=A1+1", "1.5"},
    {"«ёлка» — Ёж…", "\xF0\x9F\x98\x80 non-BMP"},
};

bool WaitForProcessEnd(int pid, double seconds) {
  return Eventually([&] { return !ProcessAlive(pid); }, seconds);
}

class WriterOfficeTest : public WriterTest {};

TEST_F(WriterOfficeTest, BuildsOneTwoColumnTableWithEveryCellExact) {
  Write(Path("t.txt"), TextFile(kRows));
  auto app = Start();
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  auto& probe = Probe(*app);
  ASSERT_EQ(probe.TableCount(), 1);
  EXPECT_EQ(probe.TableRows(1), static_cast<int32_t>(kRows.size()));
  EXPECT_EQ(probe.TableColumns(1), 2);
  for (size_t r = 0; r < kRows.size(); ++r) {
    EXPECT_EQ(probe.CellText(1, "A" + std::to_string(r + 1)), kRows[r].first) << "row " << r + 1;
    EXPECT_EQ(probe.CellText(1, "B" + std::to_string(r + 1)), kRows[r].second) << "row " << r + 1;
  }
  const auto page = probe.Page();
  EXPECT_TRUE(page.landscape);
  EXPECT_GT(page.width, page.height);
  // A Word 97 file (an OLE compound file).
  EXPECT_EQ(Read(Path("t.doc")).substr(0, 4), "\xD0\xCF\x11\xE0");
  app->Quit(false);

  // The kept document, reopened by a fresh word processor (a copy, so that
  // the office reads the file rather than what this program remembers of it).
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  auto again = Start();
  again->Documents().Open(Path("copy.doc"));
  auto& reopened = Probe(*again);
  ASSERT_EQ(reopened.TableCount(), 1);
  ASSERT_EQ(reopened.TableRows(1), static_cast<int32_t>(kRows.size()));
  for (size_t r = 0; r < kRows.size(); ++r) {
    EXPECT_EQ(reopened.CellText(1, "A" + std::to_string(r + 1)), kRows[r].first) << "row " << r + 1;
    EXPECT_EQ(reopened.CellText(1, "B" + std::to_string(r + 1)), kRows[r].second) << "row " << r + 1;
  }
  EXPECT_TRUE(reopened.Page().landscape);
  again->Quit(false);
}

TEST_F(WriterOfficeTest, TakingTheTextBackGivesTheTextFileWithAByteOrderMark) {
  const std::string text = TextFile(kRows);
  Write(Path("t.txt"), text);
  auto app = Start();
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  app->Quit(false);
  TakeBack(Path("t.doc"), Path("back.txt"));
  EXPECT_EQ(Read(Path("back.txt")), "\xEF\xBB\xBF" + text);
  // The same read by the office from the file.
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  TakeBack(Path("copy.doc"), Path("copy.txt"));
  EXPECT_EQ(Read(Path("copy.txt")), "\xEF\xBB\xBF" + text);
}

TEST_F(WriterOfficeTest, ADocumentChangedOnDiskIsReadAgain) {
  Write(Path("a.txt"), TextFile({{"a", "1"}}));
  Write(Path("b.txt"), TextFile({{"b", "2"}}));
  auto app = Start();
  BuildDocument(*app, Path("b.txt"), Path("b.doc"));
  BuildDocument(*app, Path("a.txt"), Path("a.doc"));
  app->Quit(false);
  // a.doc replaced behind this program's back: its text is the file's.
  std::filesystem::copy_file(Path("b.doc"), Path("a.doc"), std::filesystem::copy_options::overwrite_existing);
  TakeBack(Path("a.doc"), Path("back.txt"));
  EXPECT_EQ(Read(Path("back.txt")), "\xEF\xBB\xBF" + TextFile({{"b", "2"}}));
}

TEST_F(WriterOfficeTest, QuitWithSaveChangesKeepsAnEditMadeInTheOffice) {
  Write(Path("t.txt"), TextFile(kRows));
  auto app = Start();
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  Probe(*app).SetCellText(1, "A2", "Изменено в Writer @ À");
  const int pid = Probe(*app).OfficePid();
  app->Quit(true);
  EXPECT_TRUE(WaitForProcessEnd(pid, 10));
  EXPECT_EQ(Read(Path("t.doc")).substr(0, 4), "\xD0\xCF\x11\xE0");

  auto rows = kRows;
  rows[1].first = "Изменено в Writer @ À";
  TakeBack(Path("t.doc"), Path("back.txt"));
  EXPECT_EQ(Read(Path("back.txt")), "\xEF\xBB\xBF" + TextFile(rows));
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  TakeBack(Path("copy.doc"), Path("copy.txt"));
  EXPECT_EQ(Read(Path("copy.txt")), "\xEF\xBB\xBF" + TextFile(rows));
}

TEST_F(WriterOfficeTest, ACellOfTwoParagraphsStaysOneLine) {
  // Enter pressed in a cell: Writer's text export gives it two lines, so
  // the cells are read one by one, and the row stays one line.
  Write(Path("t.txt"), TextFile(kRows));
  auto app = Start();
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  Probe(*app).SetCellText(1, "B3", "first\nsecond");
  app->Quit(true);
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  TakeBack(Path("copy.doc"), Path("back.txt"));
  auto rows = kRows;
  rows[2].second = "first\nsecond";
  EXPECT_EQ(Read(Path("back.txt")), "\xEF\xBB\xBF" + TextFile(rows));
}

// The languages of the tables, each with a word of it spelt right and wrong.
struct Spelling {
  int32_t language;
  const char* tag;
  const char* correct;
  const char* misspelt;
};
const Spelling kSpellings[] = {
    {wd::Russian, "ru-RU", "вратарь", "вротарь"},  {wd::German, "de-DE", "Mannschaft", "Manschaft"},
    {wd::Swedish, "sv-SE", "målvakt", "målvackt"}, {wd::Finnish, "fi-FI", "jääkiekko", "jääkiekkko"},
    {wd::Czech, "cs-CZ", "brankář", "brankkář"},
};

TEST_F(WriterOfficeTest, EachColumnIsMarkedWithItsLanguageAndCheckedInIt) {
  auto app = Start();
  auto& probe = Probe(*app);
  // The English column, through the cell's own language.
  Write(Path("en.txt"), TextFile({{"x", "goalkeeper"}, {"y", "goalkeepr"}}));
  BuildDocument(*app, Path("en.txt"), Path("en.doc"), wd::German);
  const std::string english = probe.CellLanguage(1, "B1");
  EXPECT_EQ(english, "en-US");
  EXPECT_EQ(probe.SpellingAccepted(probe.CellText(1, "B1"), english), std::optional(true));
  EXPECT_EQ(probe.SpellingAccepted(probe.CellText(1, "B2"), english), std::optional(false));

  for (const auto& s : kSpellings) {
    SCOPED_TRACE(s.tag);
    const std::string name = std::to_string(s.language);
    Write(Path(name + ".txt"), TextFile({{s.correct, "goalkeeper"}, {s.misspelt, "goalkeepr"}, {"", ""}}));
    BuildDocument(*app, Path(name + ".txt"), Path(name + ".doc"), s.language);
    for (const char* row : {"1", "2", "3"}) {
      EXPECT_EQ(probe.CellLanguage(1, std::string("A") + row), s.tag) << "row " << row;
      EXPECT_EQ(probe.CellLanguage(1, std::string("B") + row), "en-US") << "row " << row;
    }
    const std::string language = probe.CellLanguage(1, "A1");
    const auto correct = probe.SpellingAccepted(probe.CellText(1, "A1"), language);
    ASSERT_TRUE(correct.has_value()) << "the office has no dictionary of " << language
                                     << " (scripts/install-deps installs it)";
    EXPECT_TRUE(*correct) << s.correct;
    EXPECT_EQ(probe.SpellingAccepted(probe.CellText(1, "A2"), language), std::optional(false)) << s.misspelt;
  }
  app->Quit(false);

  // The kept documents, reopened by a fresh word processor from copies of
  // their files, keep the languages.
  auto again = Start();
  for (const auto& s : kSpellings) {
    const std::string name = std::to_string(s.language);
    std::filesystem::copy_file(Path(name + ".doc"), Path(name + "-copy.doc"));
    again->Documents().Open(Path(name + "-copy.doc"));
    EXPECT_EQ(Probe(*again).CellLanguage(1, "A2"), s.tag);
    EXPECT_EQ(Probe(*again).CellLanguage(1, "B2"), "en-US") << s.tag;
  }
  again->Quit(false);
}

TEST_F(WriterOfficeTest, ACellSelectedAndCollapsedIsWhereInformationFindsIt) {
  Write(Path("t.txt"), TextFile(kRows));
  auto app = Start();
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  auto& table = app->ActiveDocument().Tables().Item(1);
  EXPECT_EQ(table.Rows().Count(), static_cast<int32_t>(kRows.size()));
  table.Cell(7, 1).Select();
  app->Selection().Collapse(wd::CollapseStart);
  EXPECT_EQ(app->Selection().Information(wd::EndOfRangeRowNumber), 7);
  EXPECT_EQ(ErrorNumberOf([&] { table.Cell(static_cast<int32_t>(kRows.size()) + 1, 1).Select(); }),
            wderr::NoSuchMember);
  // After the table: Word's answer outside a table, not an error.
  app->Selection().EndKey(wd::Story);
  EXPECT_EQ(app->Selection().Information(wd::EndOfRangeRowNumber), -1);
  app->Quit(false);
  // A document the office reads from its file.
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  auto again = Start();
  again->Documents().Open(Path("copy.doc"));
  auto& reopened = again->ActiveDocument().Tables().Item(1);
  EXPECT_EQ(reopened.Rows().Count(), static_cast<int32_t>(kRows.size()));
  reopened.Cell(3, 2).Select();
  again->Selection().Collapse(wd::CollapseStart);
  EXPECT_EQ(again->Selection().Information(wd::EndOfRangeRowNumber), 3);
  EXPECT_EQ(ErrorNumberOf([&] { reopened.Cell(0, 1).Select(); }), wderr::NoSuchMember);
  again->Quit(false);
}

TEST_F(WriterOfficeTest, QuitWithoutSavingDropsUnsavedWorkAndEndsTheOffice) {
  Write(Path("t.txt"), TextFile(kRows));
  auto app = Start();
  app->Documents().Open(Path("t.txt"), wd::OpenFormatEncodedText, wd::EncodingUTF8);
  app->Selection().WholeStory();
  app->Selection().ConvertToTable(kNul);
  const int pid = Probe(*app).OfficePid();
  EXPECT_TRUE(ProcessAlive(pid));
  app->Quit(false);
  EXPECT_TRUE(WaitForProcessEnd(pid, 10));
  EXPECT_EQ(Read(Path("t.txt")), TextFile(kRows));
  EXPECT_EQ(ErrorNumberOf([&] { app->Quit(false); }), wderr::ServerUnavailable);
}

TEST_F(WriterOfficeTest, CallsOnAnOfficeThatIsGoneFailAsErrors) {
  Write(Path("t.txt"), TextFile(kRows));
  // Profiles of this test alone: an office of a test running beside it could
  // otherwise take the killed office's profile and keep its lock alive.
  auto options = Options();
  options.profileRoot = Path("profiles");
  auto app = Start(options);
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  const int pid = Probe(*app).OfficePid();
  ASSERT_GT(pid, 0);
  ::kill(pid, SIGKILL);
  ASSERT_TRUE(WaitForProcessEnd(pid, 10));
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection().Information(wd::EndOfRangeRowNumber); }),
            wderr::ServerUnavailable);
  EXPECT_EQ(ErrorNumberOf([&] { app->Quit(true); }), wderr::ServerUnavailable);
  EXPECT_EQ(ErrorNumberOf([&] { app->Documents(); }), wderr::ServerUnavailable);
  // A program with a word processor survives writes to a pipe whose reader is
  // gone, as the bridge's to an office that went away: they fail, and no
  // SIGPIPE ends it.
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  ::close(pair[1]);
  EXPECT_EQ(::write(pair[0], "x", 1), -1);
  EXPECT_EQ(errno, EPIPE);
  ::close(pair[0]);
  // The killed office left its lock file beside the document; once its
  // profile is let go, the next word processor clears it and can save there.
  const std::string lockPath = writer::DocumentLockPath(Path("t.doc"));
  ASSERT_TRUE(std::filesystem::exists(lockPath));
  const auto lock = writer::ParseDocumentLock(Read(lockPath));
  ASSERT_TRUE(lock);
  std::string profile = writer::PathOfFileUrl(lock->profileUrl);
  while (profile.ends_with('/')) profile.pop_back();
  EXPECT_TRUE(Eventually([&] { return writer::ProfileHeldSince(profile) == 0; }));
  auto again = Start(options);
  again->Documents().Open(Path("t.doc"));
  Probe(*again).SetCellText(1, "B1", "saved after a crash");
  again->Quit(true);
  EXPECT_FALSE(std::filesystem::exists(writer::DocumentLockPath(Path("t.doc"))));
  std::filesystem::copy_file(Path("t.doc"), Path("copy.doc"));
  auto check = Start(options);
  check->Documents().Open(Path("copy.doc"));
  EXPECT_EQ(Probe(*check).CellText(1, "B1"), "saved after a crash");
  check->Quit(false);
}

TEST_F(WriterOfficeTest, ACallThatHangsEndsTheOfficeWithinItsTimeLimit) {
  Write(Path("t.txt"), TextFile(kRows));
  auto options = Options();
  options.callSeconds = 2;
  auto app = Start(options);
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  const int pid = Probe(*app).OfficePid();
  // A stopped office answers nothing, as one waiting on a dialog would not.
  ::kill(pid, SIGSTOP);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection().Information(wd::EndOfRangeRowNumber); }),
            wderr::CallTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(15));
  EXPECT_TRUE(WaitForProcessEnd(pid, 10));
  EXPECT_EQ(ErrorNumberOf([&] { app->Quit(true); }), wderr::ServerUnavailable);
}

TEST_F(WriterOfficeTest, SomebodyElsesLockIsRespected) {
  Write(Path("t.txt"), TextFile(kRows));
  auto app = Start();
  BuildDocument(*app, Path("t.txt"), Path("t.doc"));
  app->Quit(false);
  const std::string lock = ",Someone,otherhost,01.01.2024 10:00,file:///home/someone/.config/libreoffice/4;";
  Write(writer::DocumentLockPath(Path("t.doc")), lock);
  const std::string before = Read(Path("t.doc"));
  auto again = Start();
  again->Documents().Open(Path("t.doc"));
  // Open read-only, as Word does: readable, but saving it over fails, loudly.
  EXPECT_EQ(Probe(*again).CellText(1, "A1"), kRows[0].first);
  try {
    again->ActiveDocument().SaveAs(Path("t.doc"), wd::FormatDocument);
    FAIL() << "saved over a document somebody else has open";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), wderr::CommandFailed);
    EXPECT_NE(e.Description().find("in use by Someone on otherhost"), std::string::npos) << e.Description();
  }
  EXPECT_EQ(Read(writer::DocumentLockPath(Path("t.doc"))), lock);
  EXPECT_EQ(Read(Path("t.doc")), before);
  again->Quit(false);
}

TEST_F(WriterOfficeTest, ControlCharactersAreRefusedNotDropped) {
  Write(Path("t.txt"), TextFile({{"fine", "fine"}, {"bell\x07here", "x"}}));
  auto app = Start();
  app->Documents().Open(Path("t.txt"), wd::OpenFormatEncodedText, wd::EncodingUTF8);
  app->Selection().WholeStory();
  app->Selection().ConvertToTable(kNul);
  try {
    app->ActiveDocument().SaveAs(Path("t.doc"), wd::FormatDocument);
    FAIL() << "saved a cell Writer would have emptied";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), wderr::CommandFailed);
    EXPECT_NE(e.Description().find("row 2 column 1"), std::string::npos) << e.Description();
    EXPECT_NE(e.Description().find("U+0007"), std::string::npos) << e.Description();
  }
  EXPECT_FALSE(std::filesystem::exists(Path("t.doc")));
  app->Quit(false);
}

TEST_F(WriterOfficeTest, WordErrorsForWrongUse) {
  // The program's own word processor, as Kt06 loads it.
  auto app = WordApps(Options())();
  EXPECT_EQ(ErrorNumberOf([&] { app->ActiveDocument(); }), wderr::NoDocumentOpen);
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection(); }), wderr::NoDocumentOpen);
  EXPECT_EQ(ErrorNumberOf([&] { app->Documents().Open(Path("absent.doc")); }), wderr::FileNotFound);
  Write(Path("t.txt"), TextFile(kRows));
  app->Documents().Open(Path("t.txt"), wd::OpenFormatEncodedText, wd::EncodingUTF8);
  EXPECT_EQ(ErrorNumberOf([&] { app->ActiveDocument().Tables().Item(1); }), wderr::NoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { app->ActiveDocument().SaveAs(Path("x"), 3); }), wderr::ValueOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection().ConvertToTable(""); }), wderr::ValueOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection().Information(1); }), wderr::ValueOutOfRange);
  // A language is marked on a table column just converted, in a language of the tables.
  app->Selection().WholeStory();
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection().SetLanguageID(wd::Russian); }), wderr::NotAvailable);
  EXPECT_EQ(ErrorNumberOf([&] { app->Selection().SetLanguageID(1036); }), wderr::ValueOutOfRange);
  // No display here: the window cannot be shown, and says so.
  EXPECT_EQ(ErrorNumberOf([&] { app->SetVisible(true); }), wderr::NotAvailable);
  // A missing folder fails the save.
  EXPECT_NE(
      ErrorNumberOf([&] { app->ActiveDocument().SaveAs(Path("no/such/folder/t.doc"), wd::FormatDocument); }),
      0);
  app->Quit(false);
}

TEST_F(WriterOfficeTest, AMachineWithoutTheOfficeGivesError429NamingTheProgram) {
  auto options = Options();
  options.officeProgramDir = Path("no-office/program");
  try {
    WordApps(options)();
    FAIL() << "started an office that does not exist";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 429);
    EXPECT_EQ(e.Source(), "Glossmith");
    EXPECT_NE(e.Description().find(Path("no-office/program") + "/soffice.bin"), std::string::npos)
        << e.Description();
  }
}

TEST_F(WriterOfficeTest, AnOfficeThatDoesNotAnswerInTimeGivesError429) {
  // A stand-in program that starts but never accepts a connection.
  std::filesystem::create_directories(Path("fake/program"));
  Write(Path("fake/program/soffice.bin"), "#!/bin/sh\nexec sleep 30\n");
  ::chmod(Path("fake/program/soffice.bin").c_str(), 0755);
  Write(Path("fake/program/fundamentalrc"), "");
  auto options = Options();
  options.officeProgramDir = Path("fake/program");
  options.startSeconds = 1;
  EXPECT_EQ(ErrorNumberOf([&] { WordApps(options)(); }), 429);
}

}  // namespace
}  // namespace gs::testing
