// The three steps of the editing cycle with the real archive tool, the real
// conversions and a recording word processor.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/archive_tool.h"
#include "catalog/header_refresh.h"
#include "common/file.h"
#include "common/fs.h"
#include "formats/email_data.h"
#include "formats/string_table.h"
#include "tests/catalog/tool_double.h"
#include "tests/support/bigf_layout.h"
#include "tests/support/recording_word_app.h"
#include "tests/workflow/workflow_test_support.h"
#include "tools/sample/sample_tables.h"

namespace gs {
namespace {

using test::ReadBytes;
using testing::ArgumentText;
using testing::EditKeptDocument;
using testing::WordScript;
namespace fs = std::filesystem;

std::vector<uint8_t> Entry(const std::string& archive, const std::string& name) {
  for (auto& e : test::ReadLayout(archive).entries) {
    if (e.name == name) return e.data;
  }
  ADD_FAILURE() << name << " not in " << archive;
  return {};
}

class StepsTest : public ::testing::Test {
 protected:
  StepsTest() : game_("gs-steps") {
    m_.CreateWordApp = word_.Factory();
    SetProgramFolder(m_, game_.Game());
  }

  void RunCycle() {
    Extract(m_, window_);
    EditInWord(m_, window_);
    SaveChanges(m_, window_);
  }

  int32_t Error(void (*step)(KTmain&, const MainWindow&)) {
    try {
      step(m_, window_);
    } catch (const gs::Error& e) {
      last_ = e;
      return e.Number();
    }
    return 0;
  }

  test::SampleInstallation game_;
  WordScript word_;
  test::TestWindow window_;
  KTmain m_;
  gs::Error last_{0, ""};
};

TEST_F(StepsTest, ExtractTakesTheTableAndItsEnglishTemplateOut) {
  Extract(m_, window_);
  EXPECT_EQ(m_.GameArchivePath, game_ / "fe\\local.viv");
  EXPECT_EQ(m_.WorkTablePath, game_ / "KT\\FrontFrench.bin");
  EXPECT_EQ(m_.TextFilePath, game_ / "KT\\FrontFrench.bin.txt");
  EXPECT_EQ(m_.TemplateCopyPath, game_ / "KT\\frontEnglish.bin.eng");
  EXPECT_EQ(ReadBytes(m_.WorkTablePath), Entry(m_.GameArchivePath, "FrontFrench.bin"));
  EXPECT_EQ(ReadBytes(m_.TemplateCopyPath), Entry(game_ / "KT\\template.viv", "frontEnglish.bin"));
  EXPECT_FALSE(m_.ReuseDocument);

  // E-mail data in English: the work table and the template copy are two files.
  window_.type = "E-Mail";
  window_.language = "English";
  Extract(m_, window_);
  EXPECT_EQ(m_.GameArchivePath, game_ / "db\\tuning.viv");
  EXPECT_EQ(m_.WorkTablePath, game_ / "KT\\emaildata.dta");
  EXPECT_EQ(m_.TemplateCopyPath, game_ / "KT\\emaildata.dta.eng");
  EXPECT_TRUE(FileExists(m_.WorkTablePath));
  EXPECT_TRUE(FileExists(m_.TemplateCopyPath));
}

TEST_F(StepsTest, TheKeptDocumentIsReusedOnlyWhenItsBoxIsEnabledAndChecked) {
  for (auto [enabled, checked, reuse] : {std::tuple{true, true, true}, std::tuple{false, true, false},
                                         std::tuple{true, false, false}, std::tuple{false, false, false}}) {
    window_.check1Enabled = enabled;
    window_.check1Checked = checked;
    Extract(m_, window_);
    EXPECT_EQ(m_.ReuseDocument, reuse);
  }
}

TEST_F(StepsTest, ExtractFailuresNameWhatIsMissing) {
  fs::rename(game_ / "fe\\local.viv", game_ / "fe\\local.old");
  EXPECT_EQ(Error(Extract), 53);
  EXPECT_EQ(last_.Description(),
            "The file \"" + (game_ / "fe\\local.viv") + "\" does not exist or cannot be read.");
  EXPECT_EQ(last_.Source(), "Glossmith");
  fs::rename(game_ / "fe\\local.old", game_ / "fe\\local.viv");

  // A language the archive does not hold: the work paths are set all the same.
  window_.language = "Polish";
  EXPECT_EQ(Error(Extract), 53);
  EXPECT_EQ(last_.Description(), "The file FrontPolish.bin does not found in " + (game_ / "fe\\local.viv"));
  EXPECT_EQ(m_.WorkTablePath, game_ / "KT\\FrontPolish.bin");

  // The table came out, its template did not: the report deletes the work table.
  window_.language = "German";
  fs::remove(game_ / "KT\\template.viv");
  EXPECT_EQ(Error(Extract), 53);
  EXPECT_TRUE(FileExists(m_.WorkTablePath));
  ReportError(m_, window_, last_);
  EXPECT_FALSE(FileExists(m_.WorkTablePath));
  EXPECT_EQ(window_.unloads, 1);
}

TEST_F(StepsTest, EditInWordBuildsTheDocumentWithTheWordCallsInOrder) {
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine", 17);
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  Extract(m_, window_);
  EditInWord(m_, window_);
  const std::vector<std::string> expected = {
      "create",
      "Documents.Open(" + ArgumentText(m_.TextFilePath) +
          ", 5, 65001, ConfirmConversions:=false, AddToRecentFiles:=false, NoEncodingDialog:=true)",
      "PageSetup.Orientation = 1",
      "Selection.WholeStory()",
      "Selection.ConvertToTable(\"\\0\")",
      // The language column is Russian (the French files), the other English.
      "Tables.Item(1)",
      "Table.Columns(1)",
      "Column.Select()",
      "Selection.LanguageID = 1049",
      "Table.Columns(2)",
      "Column.Select()",
      "Selection.LanguageID = 1033",
      "Document.SaveAs(" + ArgumentText(m_.DocumentPath) + ", 0)",
      "Tables.Item(1)",
      "Table.Rows.Count()",
      "Table.Cell(17, 1)",
      "Cell.Select()",
      "Selection.Collapse(1)",
      "Visible = true",
      "WindowState = 1",
  };
  EXPECT_EQ(word_.CallTexts(), expected);
  EXPECT_TRUE(FileExists(m_.TextFilePath));
  EXPECT_TRUE(FileExists(m_.DocumentPath));
  EXPECT_EQ(m_.StringTableExported, "FrontFrench.bin");
}

TEST_F(StepsTest, TheLanguageColumnIsMarkedWithTheLanguageOfItsFileSlot) {
  window_.type = "E-Mail";
  for (const auto& [language, marked] :
       std::vector<std::pair<const char*, const char*>>{{"English", "1033"},
                                                        {"French(Russian)", "1049"},
                                                        {"German", "1031"},
                                                        {"Swedish", "1053"},
                                                        {"Finnish", "1035"},
                                                        {"Czech", "1029"}}) {
    WordScript word;
    m_.CreateWordApp = word.Factory();
    window_.language = language;
    m_.DocumentPath = DocumentPathOf(m_, CurrentFileName(window_));
    Extract(m_, window_);
    EditInWord(m_, window_);
    const auto& calls = word.CallTexts();
    const auto first = std::find(calls.begin(), calls.end(), "Selection.LanguageID = " + std::string(marked));
    ASSERT_NE(first, calls.end()) << language;
    EXPECT_EQ(*(first - 2), "Table.Columns(1)") << language;
  }

  // A word processor that refuses the languages still gets the document.
  WordScript refusing;
  refusing.Fail("Selection.LanguageID", gs::Error(wderr::CommandFailed, "refused", "Word"));
  m_.CreateWordApp = refusing.Factory();
  EditInWord(m_, window_);
  EXPECT_TRUE(FileExists(m_.DocumentPath));
  EXPECT_TRUE(refusing.Visible(1));
}

TEST_F(StepsTest, EditInWordReopensTheKeptDocumentAtTheRememberedLine) {
  word_.SetInformation(wd::EndOfRangeRowNumber, 5);
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  RunCycle();

  WordScript again;
  m_.CreateWordApp = again.Factory();
  window_.check1Enabled = window_.check1Checked = true;
  Extract(m_, window_);
  EditInWord(m_, window_);
  const std::vector<std::string> expected = {
      "create",
      "Documents.Open(" + ArgumentText(m_.DocumentPath) + ")",
      "Tables.Item(1)",
      "Table.Rows.Count()",
      "Table.Cell(5, 1)",
      "Cell.Select()",
      "Selection.Collapse(1)",
      "Visible = true",
      "WindowState = 1",
  };
  EXPECT_EQ(again.CallTexts(), expected);
  // The text file is written all the same, though the document is not built from it.
  EXPECT_TRUE(FileExists(m_.TextFilePath));
}

TEST_F(StepsTest, WithoutARememberedLineTheCursorStaysWhereItIs) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  Extract(m_, window_);
  EditInWord(m_, window_);
  for (const auto& call : word_.CallTexts()) EXPECT_EQ(call.find("Cell"), std::string::npos) << call;

  // A refused move is ignored too.
  WordScript refusing;
  refusing.Fail("Cell.Select", gs::Error(4120, "Bad parameter", "Word"));
  m_.CreateWordApp = refusing.Factory();
  SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine", 99999);
  EditInWord(m_, window_);
  EXPECT_TRUE(refusing.Visible(1));
}

TEST_F(StepsTest, TheRememberedRowIsATableRowAndOneTheTableLacksIsTheFirst) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  Extract(m_, window_);
  EditInWord(m_, window_);
  const int32_t rows = m_.WordApp->ActiveDocument().Tables().Item(1).Rows().Count();
  ASSERT_GT(rows, 17);
  for (const auto& [remembered, row] : std::vector<std::pair<int32_t, int32_t>>{
           {17, 17}, {rows, rows}, {rows + 1, 1}, {0, 1}, {-3, 1}, {INT32_MIN, 1}}) {
    SetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine", remembered);
    EditInWord(m_, window_);
    EXPECT_EQ(m_.WordApp->Selection().Information(wd::EndOfRangeRowNumber), row) << remembered;
  }
}

TEST_F(StepsTest, ACompletedCyclePutsTheTableBackAndRefreshesTheHeader) {
  word_.SetInformation(wd::EndOfRangeRowNumber, 42);
  window_.check2 = 1;
  m_.DocumentPath = DocumentPathOf(m_, "GameGerman.bin");
  window_.type = "Game";
  window_.language = "German";
  const auto archiveBefore = ReadBytes(game_ / "fe\\local.viv");
  Extract(m_, window_);
  EditInWord(m_, window_);
  const auto textBefore = ReadBytes(m_.TextFilePath);
  SaveChanges(m_, window_);

  const auto& calls = word_.CallTexts();
  const std::vector<std::string> tail = {
      "1: Selection.Information(14)",
      "1: Quit(true)",
      "2: create",
      "2: Documents.Open(" + ArgumentText(m_.DocumentPath) + ")",
      "2: Tables.Item(1)",
      "2: Table.ConvertToText(\"\\0\")",
      "2: Selection.EndKey(6)",
      "2: Selection.TypeBackspace()",
      "2: Document.SaveAs(" + ArgumentText(m_.TextFilePath) + ", 7, 65001, false)",
      "2: Quit(false)",
  };
  ASSERT_GE(calls.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(calls.end() - static_cast<long>(tail.size()), calls.end()), tail);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine"), 42);

  // Unchanged text: the table the archive now holds gives the same text again.
  test::WriteBytes(m_.WorkTablePath, Entry(game_ / "fe\\local.viv", "GameGerman.bin"));
  test::WriteBytes(m_.TemplateCopyPath, Entry(game_ / "KT\\template.viv", "gameEnglish.bin"));
  FormatState state;
  StringTableExport(state, {m_.WorkTablePath, m_.TemplateCopyPath, m_.TextFilePath}, "GameGerman.bin",
                    *m_.Kt);
  EXPECT_EQ(ReadBytes(m_.TextFilePath), textBefore);
  DeleteWorkFiles(m_);
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv.bak"), archiveBefore);
  EXPECT_FALSE(FileExists(m_.WorkTablePath));
  EXPECT_FALSE(FileExists(m_.TextFilePath));
  EXPECT_FALSE(FileExists(m_.TemplateCopyPath));
  const Bytes header = ReadArchiveHeader(game_ / "fe\\local.viv");
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.bh"), std::vector<uint8_t>(header.begin(), header.end()));
  EXPECT_EQ(Entry(game_ / "preload\\fmisc.viv", "local.bh"),
            std::vector<uint8_t>(header.begin(), header.end()));
  EXPECT_TRUE(FileExists(m_.DocumentPath));
}

TEST_F(StepsTest, EditsInTheDocumentReachTheGameArchive) {
  window_.type = "E-Mail";
  window_.language = "Czech";
  m_.DocumentPath = DocumentPathOf(m_, "emaildataCzech.dta");
  const auto localBefore = ReadBytes(game_ / "fe\\local.viv");
  const auto fmiscBefore = ReadBytes(game_ / "preload\\fmisc.viv");
  Extract(m_, window_);
  EditInWord(m_, window_);
  // The user types a heading with Latin and Cyrillic letters and empties the
  // second line's text.
  EditKeptDocument(m_.DocumentPath, 0, 0, "Zpráva Жук");
  EditKeptDocument(m_.DocumentPath, 1, 0, "");
  SaveChanges(m_, window_);
  // The saved text's progress and checks, the findings listed beside the
  // kept document.
  const std::string list = ChecksPathOf(m_, "emaildataCzech.dta");
  EXPECT_EQ(m_.QualityLines, (std::vector<std::string>{
                                 "translated 140 of 140 entries (100.0 %)", "Checks: 1 characters",
                                 "Listed in " + NativePath("KT\\Efiles\\emaildataCzech.dta.checks.txt")}));
  const auto written = ReadBytes(list);
  EXPECT_EQ(std::string(written.begin(), written.end()),
            "1: characters: U+0416 Ж is in none of the game's tables read\r\nChecks: 1 characters\r\n");

  // A Czech table keeps the letters as typed (only the French slot stores
  // Cyrillic in a form of its own), and the emptied string is an empty string.
  const auto table = Entry(game_ / "db\\tuning.viv", "emaildataCzech.dta");
  EXPECT_NE(std::string(table.begin(), table.end()).find("Zpráva Жук"), std::string::npos);
  test::WriteBytes(m_.WorkTablePath, table);
  test::WriteBytes(m_.TemplateCopyPath, Entry(game_ / "KT\\template.viv", "emaildata.dta"));
  FormatState state;
  EmailExport(state, {m_.WorkTablePath, m_.TemplateCopyPath, m_.TextFilePath}, "emaildataCzech.dta", *m_.Kt);
  const auto bytes = ReadBytes(m_.TextFilePath);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_TRUE(text.starts_with(std::string("Zpráva Жук") + '\0'));
  EXPECT_EQ(text.at(text.find('\n') + 1), '\0');
  DeleteWorkFiles(m_);
  // E-mail data needs no header refresh.
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), localBefore);
  EXPECT_EQ(ReadBytes(game_ / "preload\\fmisc.viv"), fmiscBefore);
  EXPECT_FALSE(FileExists(game_ / "db\\tuning.viv.bak"));
}

TEST_F(StepsTest, WhatTheQualityLinesCannotFindFailsNoStep) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  const std::string list = ChecksPathOf(m_, "FrontFrench.bin");

  // A folder in the list's place: the save goes through, the line says so.
  fs::create_directory(list);
  RunCycle();
  ASSERT_EQ(m_.QualityLines.size(), 3u);
  EXPECT_EQ(m_.QualityLines[1], "Checks: 3 length");
  EXPECT_TRUE(m_.QualityLines[2].starts_with("Their list not written (error ")) << m_.QualityLines[2];
  EXPECT_FALSE(FileExists(m_.WorkTablePath));
  fs::remove(list);

  // A damaged table of another language leaves the characters unknown: the
  // checks do not run, and the list of an earlier save goes.
  test::WriteText(list, "an earlier save's list");
  test::WriteBytes(game_ / "damaged.bin", {1, 2, 3});  // too short for a string table
  InsertEntry(m_, game_ / "fe\\local.viv", "FrontGerman.bin", game_ / "damaged.bin");
  RunCycle();
  EXPECT_EQ(m_.QualityLines[1],
            "Checks not run (error 7777: Unknown data format for file 'FrontGerman.bin')");
  EXPECT_FALSE(FileExists(list));
  EXPECT_FALSE(FileExists(m_.WorkTablePath));

  // That table extracts all the same; editing it then reports it.
  window_.language = "German";
  Extract(m_, window_);
  EXPECT_EQ(m_.QualityLines,
            std::vector<std::string>{
                "Progress unknown (error 7777: Unknown data format for file 'FrontGerman.bin')"});
  EXPECT_EQ(Error(EditInWord), rt::UnknownDataFormat);
}

TEST_F(StepsTest, AWordTheUserClosedLeavesLineOneAndTheDocumentAsSaved) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  Extract(m_, window_);
  EditInWord(m_, window_);
  word_.CloseByUser(1);
  SaveChanges(m_, window_);
  EXPECT_EQ(GetRegDWord(HKEY_LOCAL_MACHINE, kSettingsKey, "WordGoToLine"), 1);
  EXPECT_FALSE(FileExists(m_.WorkTablePath));
}

TEST_F(StepsTest, AGreyedBackupOptionMakesNoBackup) {
  window_.check2 = 2;
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  RunCycle();
  EXPECT_FALSE(FileExists(game_ / "fe\\local.viv.bak"));
  EXPECT_FALSE(FileExists(game_ / "fe\\local.bh.bak"));
}

TEST_F(StepsTest, AFailedBackupStopsBeforeTheArchiveChanges) {
  window_.check2 = 1;
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  fs::create_directory(game_ / "fe\\local.viv.bak");  // the copy cannot replace a folder
  const auto before = ReadBytes(game_ / "fe\\local.viv");
  Extract(m_, window_);
  EditInWord(m_, window_);
  EXPECT_EQ(Error(SaveChanges), 75);
  EXPECT_NE(last_.Description().find("local.viv.bak"), std::string::npos);
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), before);
  EXPECT_TRUE(FileExists(m_.WorkTablePath));
}

TEST_F(StepsTest, AFailingToolStopsBeforeAnyWorkFileIsDeleted) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  const auto before = ReadBytes(game_ / "fe\\local.viv");
  Extract(m_, window_);
  EditInWord(m_, window_);
  // From here the tool fails every run.
  fs::copy_file(ExecutableDir() + GS_TOOL_DOUBLE, m_.ToolPath, fs::copy_options::overwrite_existing);
  test::WriteText(m_.WorkDir + test::kToolDoubleScript, "exit 3\n");
  EXPECT_EQ(Error(SaveChanges), 75);
  EXPECT_NE(last_.Description().find(game_ / "fe\\local.viv"), std::string::npos);
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), before);
  EXPECT_TRUE(FileExists(m_.WorkTablePath));
  EXPECT_TRUE(FileExists(m_.TextFilePath));
  EXPECT_TRUE(FileExists(m_.TemplateCopyPath));
}

TEST_F(StepsTest, AWordThatCannotStartEndsTheStep) {
  word_.Fail("create", gs::Error(429, "ActiveX component can't create object: soffice"));
  Extract(m_, window_);
  EXPECT_EQ(Error(EditInWord), 429);
  EXPECT_EQ(word_.Created(), 0);
}

TEST_F(StepsTest, ARejectedTextLeavesTheArchiveAlone) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  const auto before = ReadBytes(game_ / "fe\\local.viv");
  Extract(m_, window_);
  EditInWord(m_, window_);
  // The user deleted a row: the text no longer has one line per entry.
  EditKeptDocument(m_.DocumentPath, 3, 0, nullptr);
  EXPECT_EQ(Error(SaveChanges), rt::UnknownDataFormat);
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), before);
  EXPECT_TRUE(FileExists(m_.WorkTablePath));
}

TEST_F(StepsTest, ASecondWordThatCannotSaveEndsTheStep) {
  m_.DocumentPath = DocumentPathOf(m_, "FrontFrench.bin");
  const auto before = ReadBytes(game_ / "fe\\local.viv");
  Extract(m_, window_);
  EditInWord(m_, window_);
  word_.Fail("Document.SaveAs", gs::Error(5152, "This is not a valid file name.", "Word"));
  EXPECT_EQ(Error(SaveChanges), 5152);
  EXPECT_EQ(last_.Source(), "Word");
  EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), before);
}

TEST_F(StepsTest, FilesOfAFailedConversionAreClosedAndTheReportDeletesTheWorkFiles) {
  Extract(m_, window_);
  test::WriteBytes(m_.WorkTablePath, {1, 2, 3});  // too short for a string table
  const int open = test::OpenHandleCount();
  EXPECT_EQ(Error(EditInWord), rt::UnknownDataFormat);
  EXPECT_EQ(test::OpenHandleCount(), open);
  ReportError(m_, window_, last_);
  ASSERT_EQ(window_.shown.size(), 1u);
  EXPECT_EQ(window_.shown[0], "Error #  7777 was generated by  Glossmith\r" + last_.Description());
  EXPECT_FALSE(FileExists(m_.WorkTablePath));
  EXPECT_FALSE(FileExists(m_.TemplateCopyPath));
  EXPECT_FALSE(FileExists(m_.TextFilePath));
}

TEST(ErrorMessage, SignPositionNumberSourceAndDescription) {
  EXPECT_EQ(ErrorMessage(Error(53, "The Program KT06 is installed wrong.")),
            "Error #  53 was generated by  Glossmith\rThe Program KT06 is installed wrong.");
  EXPECT_EQ(ErrorMessage(Error(-2147215503, "RegOpenKeyEx failed!", "GetRegDWord")),
            "Error # -2147215503 was generated by  GetRegDWord\rRegOpenKeyEx failed!");
  EXPECT_EQ(ErrorMessage(Error(0, "none", "")), "Error #  0 was generated by  \rnone");
}

TEST(ErrorReport, AFailureBeforeAnyWorkFileDeletesNothing) {
  test::ScratchDir dir("gs-report");
  test::WriteText(dir / "keep.txt", "x");
  KTmain m;
  test::TestWindow window;
  ReportError(m, window, Error(53, "Missing registry key 'Install Dir'"));
  EXPECT_EQ(window.unloads, 1);
  EXPECT_TRUE(FileExists(dir / "keep.txt"));
}

}  // namespace
}  // namespace gs
