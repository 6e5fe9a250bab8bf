#include "word/writer/text_document.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "tests/support/test_folder.h"
#include "word/word_app.h"

namespace gs::writer {
namespace {

const std::string kNul(1, '\0');

TextDocument FromLines(const std::vector<std::string>& lines) {
  std::vector<Block> blocks(lines.begin(), lines.end());
  return TextDocument(std::move(blocks));
}

const Table& OnlyTable(const TextDocument& d) {
  return std::get<Table>(d.Blocks().at(0));
}

TEST(TextDocumentTest, ConvertsTheWholeStoryToOneTableWithARowPerLine) {
  auto d =
      FromLines({"один" + kNul + "one", kNul + "empty left", "no separator", "a" + kNul + "b" + kNul + "c"});
  d.WholeStory();
  d.ConvertToTable(kNul);
  ASSERT_EQ(d.Blocks().size(), 2u);  // the table and the final paragraph after it
  EXPECT_EQ(std::get<std::string>(d.Blocks()[1]), "");
  const Table expected{
      {{"один", "one", ""}, {"", "empty left", ""}, {"no separator", "", ""}, {"a", "b", "c"}}};
  EXPECT_EQ(OnlyTable(d), expected);
  EXPECT_TRUE(d.Modified());
  // The new table's first cell is selected.
  EXPECT_EQ(d.EndRowNumber(), 1);
}

TEST(TextDocumentTest, SeparatorsMayBeAnyOneCharacter) {
  auto d = FromLines({"x¦y", "¦"});
  d.WholeStory();
  d.ConvertToTable("¦");
  EXPECT_EQ(OnlyTable(d), (Table{{{"x", "y"}, {"", ""}}}));
  for (const std::string& bad : {std::string(), std::string("ab"), std::string("\xC3")}) {
    auto e = FromLines({"x"});
    EXPECT_EQ(gs::testing::ErrorNumberOf([&] { e.ConvertToTable(bad); }), wderr::ValueOutOfRange) << bad;
  }
}

TEST(TextDocumentTest, AnInsertionPointConvertsOnlyItsParagraph) {
  auto d = FromLines({"first", "a" + kNul + "b"});
  d.EndOfStory();
  d.ConvertToTable(kNul);
  ASSERT_EQ(d.Blocks().size(), 3u);
  EXPECT_EQ(std::get<std::string>(d.Blocks()[0]), "first");
  EXPECT_EQ(std::get<Table>(d.Blocks()[1]), (Table{{{"a", "b"}}}));
  EXPECT_EQ(std::get<std::string>(d.Blocks()[2]), "");
  // A selection that takes in a table cannot be converted again.
  d.WholeStory();
  EXPECT_EQ(gs::testing::ErrorNumberOf([&] { d.ConvertToTable(kNul); }), wderr::NotAvailable);
}

TEST(TextDocumentTest, ConvertToTextEndKeyAndBackspaceGiveBackTheLines) {
  const std::vector<std::string> lines = {"Привет" + kNul + "Hello", kNul, "tab\there" + kNul + "  blanks  "};
  auto d = FromLines(lines);
  d.WholeStory();
  d.ConvertToTable(kNul);
  d.ConvertToText(1, kNul);
  // Every row is one paragraph, then the final empty one ...
  auto withEnd = lines;
  withEnd.push_back("");
  EXPECT_EQ(d.Lines(), withEnd);
  // ... whose paragraph mark EndKey + TypeBackspace remove.
  d.EndOfStory();
  d.Backspace();
  EXPECT_EQ(d.Lines(), lines);
}

TEST(TextDocumentTest, ConvertToTextKeepsEachRowOneParagraph) {
  // A cell holding several paragraphs (an Enter typed in a cell) stays within
  // its row's line, as a line break: the importers read one line per row.
  TextDocument d({Table{{{"two\nparagraphs", "x"}, {"y", "z"}}}});
  d.ConvertToText(1, kNul);
  EXPECT_EQ(d.Lines(), (std::vector<std::string>{"two\nparagraphs" + kNul + "x", "y" + kNul + "z", ""}));
  EXPECT_EQ(gs::testing::ErrorNumberOf([&] { d.ConvertToText(1, kNul); }), wderr::NoSuchMember);
}

TEST(TextDocumentTest, BackspaceDeletesOneCharacterOrJoinsParagraphs) {
  auto d = FromLines({"ab", "жё"});
  d.EndOfStory();
  d.Backspace();  // a two-byte letter
  EXPECT_EQ(d.Lines(), (std::vector<std::string>{"ab", "ж"}));
  d.Backspace();
  d.Backspace();  // the paragraph mark before
  EXPECT_EQ(d.Lines(), (std::vector<std::string>{"ab"}));
  d.WholeStory();
  d.CollapseToStart();
  d.Backspace();  // nothing before the start
  EXPECT_EQ(d.Lines(), (std::vector<std::string>{"ab"}));

  // Right after a table nothing is joined into it.
  TextDocument t({Table{{{"a", "b"}}}});
  t.EndOfStory();
  t.Backspace();
  EXPECT_EQ(t.Blocks().size(), 2u);

  // A selection is deleted whole.
  auto all = FromLines({"x", "y"});
  all.WholeStory();
  all.Backspace();
  EXPECT_EQ(all.Lines(), (std::vector<std::string>{""}));
}

TEST(TextDocumentTest, ACellIsSelectedWholeAndCollapsesToItsStart) {
  TextDocument d({std::string("title"), Table{{{"r1", ""}, {"", ""}}}, Table{{{"x", "жук"}, {"y", ""}}}});
  EXPECT_EQ(d.TableRows(2), 2u);
  d.SelectCell(2, 1, 2);
  EXPECT_EQ(d.SelectionStart(), (Position{2, 0, 1, 0}));
  EXPECT_EQ(d.SelectionEnd(), (Position{2, 0, 1, 6}));
  d.SelectCell(1, 2, 1);
  d.CollapseToStart();
  EXPECT_EQ(d.SelectionEnd(), (Position{1, 1, 0, 0}));
  EXPECT_EQ(d.EndRowNumber(), 2);
  d.EndOfStory();  // after the tables
  EXPECT_EQ(d.EndRowNumber(), -1);
  for (const auto& [row, column] : {std::pair{0, 1}, std::pair{3, 1}, std::pair{1, 3}, std::pair{-1, 1}}) {
    EXPECT_EQ(gs::testing::ErrorNumberOf([&] { d.SelectCell(1, row, column); }), wderr::NoSuchMember)
        << row << "," << column;
  }
  EXPECT_EQ(gs::testing::ErrorNumberOf([&] { d.SelectCell(3, 1, 1); }), wderr::NoSuchMember);
}

TEST(TextDocumentTest, SavedTextHasTableRowsJoinedByTabs) {
  TextDocument d({std::string("p"), Table{{{"a", "b"}, {"c", ""}}}});
  EXPECT_EQ(d.Lines(), (std::vector<std::string>{"p", "a\tb", "c\t", ""}));
}

TEST(TextDocumentTest, TracksOrientationAndChanges) {
  TextDocument d;
  EXPECT_EQ(d.Lines(), (std::vector<std::string>{""}));
  EXPECT_FALSE(d.Modified());
  d.SetLandscape(false);
  EXPECT_FALSE(d.Modified());
  d.SetLandscape(true);
  EXPECT_TRUE(d.Landscape());
  EXPECT_TRUE(d.Modified());
  d.SetModified(false);
  d.WholeStory();
  d.CollapseToStart();
  EXPECT_FALSE(d.Modified());
}

}  // namespace
}  // namespace gs::writer
