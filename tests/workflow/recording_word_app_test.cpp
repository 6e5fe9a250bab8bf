// The recording word processor: what the tests of the steps will lean on.
#include "tests/support/recording_word_app.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/test_folder.h"

namespace gs::testing {
namespace {

const std::string kNul(1, '\0');

class RecordingWordAppTest : public FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    text_ = "Привет" + kNul + "Hello\r\n" + kNul + "empty\r\n@@" + kNul + "x y\r\n";
    std::ofstream(Path("t.txt"), std::ios::binary) << text_;
  }

  // The Word calls of the editing step and of the save-back step.
  void Edit(WordScript& word, int32_t row) {
    auto app = word.Factory()();
    app->Documents().Open(Path("t.txt"), wd::OpenFormatEncodedText, wd::EncodingUTF8);
    app->ActiveDocument().PageSetup().SetOrientation(wd::OrientLandscape);
    app->Selection().WholeStory();
    app->Selection().ConvertToTable(kNul);
    app->ActiveDocument().SaveAs(Path("t.doc"), wd::FormatDocument);
    app->ActiveDocument().Tables().Item(1).Cell(row, 1).Select();
    app->Selection().Collapse(wd::CollapseStart);
    app->SetVisible(true);
    app->SetWindowState(wd::WindowStateMaximize);
    apps_.push_back(std::move(app));
  }
  int32_t SaveBack(WordScript& word) {
    int32_t row = 1;
    try {
      row = apps_.back()->Selection().Information(wd::EndOfRangeRowNumber);
    } catch (const Error&) {
    }
    try {
      apps_.back()->Quit(true);
    } catch (const Error&) {
    }
    auto app = word.Factory()();
    app->Documents().Open(Path("t.doc"));
    app->ActiveDocument().Tables().Item(1).ConvertToText(kNul);
    app->Selection().EndKey(wd::Story);
    app->Selection().TypeBackspace();
    app->ActiveDocument().SaveAs(Path("t.txt"), wd::FormatEncodedText, wd::EncodingUTF8, false);
    app->Quit(false);
    return row;
  }

  std::string text_;
  std::vector<std::unique_ptr<WordApp>> apps_;
};

TEST_F(RecordingWordAppTest, RecordsTheCallsOfBothStepsInOrder) {
  WordScript word;
  Edit(word, 2);
  EXPECT_EQ(SaveBack(word), 2);
  const std::vector<std::string> expected = {
      "1: create",
      "1: Documents.Open(" + ArgumentText(Path("t.txt")) + ", 5, 65001)",
      "1: PageSetup.Orientation = 1",
      "1: Selection.WholeStory()",
      "1: Selection.ConvertToTable(\"\\0\")",
      "1: Document.SaveAs(" + ArgumentText(Path("t.doc")) + ", 0)",
      "1: Tables.Item(1)",
      "1: Table.Cell(2, 1)",
      "1: Cell.Select()",
      "1: Selection.Collapse(1)",
      "1: Visible = true",
      "1: WindowState = 1",
      "1: Selection.Information(14)",
      "1: Quit(true)",
      "2: create",
      "2: Documents.Open(" + ArgumentText(Path("t.doc")) + ")",
      "2: Tables.Item(1)",
      "2: Table.ConvertToText(\"\\0\")",
      "2: Selection.EndKey(6)",
      "2: Selection.TypeBackspace()",
      "2: Document.SaveAs(" + ArgumentText(Path("t.txt")) + ", 7, 65001, false)",
      "2: Quit(false)",
  };
  EXPECT_EQ(word.CallTexts(), expected);
  EXPECT_TRUE(word.Visible(1));
  EXPECT_EQ(word.WindowState(1), wd::WindowStateMaximize);
  EXPECT_TRUE(word.Quit(1));
  EXPECT_TRUE(word.Quit(2));
}

TEST_F(RecordingWordAppTest, TheTextComesBackAsWordWritesIt) {
  WordScript word;
  Edit(word, 1);
  SaveBack(word);
  EXPECT_EQ(Read(Path("t.txt")), "\xEF\xBB\xBF" + text_);
}

TEST_F(RecordingWordAppTest, ScriptedAnswersAndFailures) {
  WordScript word;
  word.SetInformation(wd::EndOfRangeRowNumber, 1234);
  Edit(word, 1);
  EXPECT_EQ(SaveBack(word), 1234);

  // The user closed Word before the save-back: both calls fail, the step
  // goes on with line 1 and the document as last saved.
  WordScript closed;
  Edit(closed, 3);
  closed.CloseByUser(1);
  EXPECT_EQ(SaveBack(closed), 1);
  EXPECT_EQ(Read(Path("t.txt")), "\xEF\xBB\xBF" + text_);

  WordScript noWord;
  noWord.Fail("create", Error(429, "ActiveX component can't create object"));
  EXPECT_THROW(noWord.Factory()(), Error);
  EXPECT_NO_THROW(noWord.Factory()());  // only the first

  WordScript flaky;
  flaky.Fail("Cell.Select", Error(5843, "refused"), 0);
  try {
    Edit(flaky, 9);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 5843);
  }
  EXPECT_EQ(flaky.CallTexts().back(), "Cell.Select()");
}

TEST_F(RecordingWordAppTest, QuitSavesChangesOnlyWhenAskedTo) {
  WordScript word;
  auto app = word.Factory()();
  app->Documents().Open(Path("t.txt"), wd::OpenFormatEncodedText, wd::EncodingUTF8);
  app->Selection().WholeStory();
  app->Selection().ConvertToTable(kNul);
  app->ActiveDocument().SaveAs(Path("t.doc"), wd::FormatDocument);
  app->ActiveDocument().Tables().Item(1).ConvertToText(kNul);
  app->Quit(true);
  EXPECT_THROW(app->Documents(), Error);  // gone

  auto again = word.Factory()();
  again->Documents().Open(Path("t.doc"));
  try {
    again->ActiveDocument().Tables().Item(1);
    FAIL() << "the saved document still has its table";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), wderr::NoSuchMember);
  }
  EXPECT_THROW(again->Documents().Open(Path("absent.doc")), Error);
}

}  // namespace
}  // namespace gs::testing
