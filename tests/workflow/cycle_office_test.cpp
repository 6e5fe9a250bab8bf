// The whole editing cycle with the real LibreOffice Writer on a sample game:
// the test plays the user, changing cells through the office's own
// connection between "Edit in MS Word" and "Save changes".
#include <gtest/gtest.h>

#include "catalog/header_refresh.h"
#include "common/fs.h"
#include "tests/support/virtual_display.h"
#include "tests/word/probe/writer_probe.h"
#include "tests/workflow/archive_text.h"
#include "tests/workflow/workflow_test_support.h"

namespace gs {
namespace {

using test::ArchiveText;
using test::Entry;
using test::Lines;
using test::ReadBytes;

struct Case {
  const char* type;
  const char* language;
  const char* archive;
  // The language the document marks the language column with.
  const char* marked;
};

class CycleOfficeTest : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() { display_ = new testing::VirtualDisplay; }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }

  CycleOfficeTest() : game_("gs-cycle", 300, 40) {
    WordAppOptions options;
    options.profileRoot = GLOSSMITH_TEST_PROFILES;
    options.callSeconds = 60;
    options.longCallSeconds = 300;
    m_.CreateWordApp = testing::ProbedWriter().Apps(options);
    SetProgramFolder(m_, game_.Game());
    window_.type = GetParam().type;
    window_.language = GetParam().language;
    window_.check2 = 1;
    m_.DocumentPath = DocumentPathOf(m_, CurrentFileName(window_));
  }

  void SetUp() override {
    if (!display_->Ready()) GTEST_SKIP() << "no Xvfb";
  }

  static testing::VirtualDisplay* display_;
  test::SampleInstallation game_;
  test::TestWindow window_;
  KTmain m_;
};

testing::VirtualDisplay* CycleOfficeTest::display_ = nullptr;

TEST_P(CycleOfficeTest, EditsReachTheGameAndTheKeptDocument) {
  const std::string archive = game_ / GetParam().archive;
  const auto archiveBefore = ReadBytes(archive);
  const auto localBefore = ReadBytes(game_ / "fe\\local.viv");
  const auto fmiscBefore = ReadBytes(game_ / "preload\\fmisc.viv");

  Extract(m_, window_);
  EditInWord(m_, window_);
  auto expected = Lines(ReadBytes(m_.TextFilePath));
  testing::WriterProbe* probe = testing::ProbeOf(*m_.WordApp);
  ASSERT_NE(probe, nullptr);
  EXPECT_TRUE(probe->WindowVisible());
  EXPECT_EQ(probe->TableRows(1), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(probe->CellLanguage(1, "A2"), GetParam().marked);
  EXPECT_EQ(probe->CellLanguage(1, "B2"), "en-US");

  // The user's edits, in the language column.
  const std::vector<std::pair<int, std::string>> edits = {
      {2, "Привет, мир! Ёлка и ёж"},
      {3, "ÀÁÂ àáâ ÿ"},
      {4, ""},
      {5, "first line\nsecond line"},
  };
  for (const auto& [row, text] : edits) probe->SetCellText(1, "A" + std::to_string(row), text);
  // The user ends at row 7.
  m_.WordApp->ActiveDocument().Tables().Item(1).Cell(7, 1).Select();
  SaveChanges(m_, window_);
  EXPECT_FALSE(FileExists(m_.WorkTablePath));
  EXPECT_FALSE(FileExists(m_.TextFilePath));
  EXPECT_FALSE(FileExists(m_.TemplateCopyPath));
  EXPECT_TRUE(FileExists(m_.DocumentPath));

  // What the archive holds reads back as the edited text: Cyrillic as typed,
  // Latin letters too, except in the French "Front" table and e-mail data,
  // which show them as the Cyrillic letters of their codes, a line break
  // inside a cell (one LF) as "@".
  const bool latinAsCyrillic =
      GetParam().language == std::string("French(Russian)") && GetParam().type != std::string("Game");
  expected[1].replace(0, expected[1].find('\0'), "Привет, мир! Ёлка и ёж");
  expected[2].replace(0, expected[2].find('\0'), latinAsCyrillic ? "АБВ абв я" : "ÀÁÂ àáâ ÿ");
  expected[3].replace(0, expected[3].find('\0'), "");
  const auto shown = ArchiveText(m_, CurrentFileName(window_));
  ASSERT_EQ(shown.size(), expected.size());
  expected[4].replace(0, expected[4].find('\0'), "first line@second line");
  EXPECT_EQ(shown, expected);

  EXPECT_EQ(ReadBytes(archive + ".bak"), archiveBefore);
  if (IsStringTable(CurrentFileName(window_))) {
    const Bytes header = ReadArchiveHeader(game_ / "fe\\local.viv");
    const std::vector<uint8_t> headerBytes(header.begin(), header.end());
    EXPECT_EQ(ReadBytes(game_ / "fe\\local.bh"), headerBytes);
    EXPECT_EQ(Entry(game_ / "preload\\fmisc.viv", "local.bh"), headerBytes);
  } else {
    EXPECT_EQ(ReadBytes(game_ / "fe\\local.viv"), localBefore);
    EXPECT_EQ(ReadBytes(game_ / "preload\\fmisc.viv"), fmiscBefore);
  }

  // A second cycle on the kept document shows the edits, at the row where
  // the first one ended.
  window_.check1Enabled = window_.check1Checked = true;
  Extract(m_, window_);
  EditInWord(m_, window_);
  probe = testing::ProbeOf(*m_.WordApp);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->CellText(1, "A2"), "Привет, мир! Ёлка и ёж");
  EXPECT_EQ(probe->CellText(1, "A4"), "");
  EXPECT_EQ(probe->CellLanguage(1, "A3"), GetParam().marked);
  EXPECT_EQ(m_.WordApp->Selection().Information(wd::EndOfRangeRowNumber), 7);
  SaveChanges(m_, window_);
  EXPECT_EQ(ArchiveText(m_, CurrentFileName(window_)), shown);
}

INSTANTIATE_TEST_SUITE_P(Types, CycleOfficeTest,
                         ::testing::Values(Case{"Front", "French(Russian)", "fe\\local.viv", "ru-RU"},
                                           Case{"Game", "German", "fe\\local.viv", "de-DE"},
                                           Case{"E-Mail", "Czech", "db\\tuning.viv", "cs-CZ"}),
                         [](const auto& info) {
                           return std::string(info.param.type == std::string("E-Mail") ? "EMail"
                                                                                       : info.param.type);
                         });

}  // namespace
}  // namespace gs
