#include "word/writer/exported_text.h"

#include <gtest/gtest.h>

namespace gs::writer {
namespace {

using Lines = std::vector<std::string>;

BodyElement Paragraph() {
  return BodyElement{};
}
BodyElement TableOf(std::vector<std::string> names) {
  return BodyElement{true, std::move(names)};
}

TEST(ExportedTextTest, SplitsAtCrLfOnlyKeepingLineBreaks) {
  EXPECT_EQ(ExportedLines("\xEF\xBB\xBF"
                          "a\r\nb\nc\r\n\r\n"),
            (Lines{"a", "b\nc", ""}));
  EXPECT_EQ(ExportedLines("no end"), (Lines{"no end"}));
  EXPECT_EQ(ExportedLines(""), Lines{});
}

TEST(ExportedTextTest, ReadsRowNumbersFromCellNames) {
  EXPECT_EQ(CellRow("A1"), 1u);
  EXPECT_EQ(CellRow("B12"), 12u);
  EXPECT_EQ(CellRow("AB20000"), 20000u);
  EXPECT_EQ(CellRow("A3.1.2"), 3u);
  for (const char* bad : {"", "A", "12", "A1x", "A99999999999"}) EXPECT_EQ(CellRow(bad), 0u) << bad;
}

TEST(ExportedTextTest, MapsOneLinePerParagraphAndCell) {
  const std::vector<BodyElement> body = {Paragraph(), TableOf({"A1", "B1", "A2", "B2"}), Paragraph()};
  const auto blocks = MapExportedLines({"title", "a1", "b1", "a2", "", ""}, body);
  ASSERT_TRUE(blocks);
  ASSERT_EQ(blocks->size(), 3u);
  EXPECT_EQ(std::get<std::string>((*blocks)[0]), "title");
  EXPECT_EQ(std::get<Table>((*blocks)[1]), (Table{{{"a1", "b1"}, {"a2", ""}}}));
  EXPECT_EQ(std::get<std::string>((*blocks)[2]), "");
}

TEST(ExportedTextTest, GivesUpWhenSomethingTookMoreThanOneLine) {
  const std::vector<BodyElement> body = {TableOf({"A1", "B1"}), Paragraph()};
  EXPECT_FALSE(MapExportedLines({"two", "paragraphs", "b1", ""}, body));
  EXPECT_FALSE(MapExportedLines({"a1", "b1"}, body));
  EXPECT_FALSE(MapExportedLines({"a1", "b1", ""}, {TableOf({"A1", "?"}), Paragraph()}));
}

TEST(ExportedTextTest, SpotChecksSpanTheWholeRange) {
  EXPECT_EQ(SpotChecks(0, 5), std::vector<size_t>{});
  EXPECT_EQ(SpotChecks(3, 24), (std::vector<size_t>{0, 1, 2}));
  EXPECT_EQ(SpotChecks(1, 1), (std::vector<size_t>{0}));
  const auto many = SpotChecks(40001, 24);
  EXPECT_EQ(many.size(), 24u);
  EXPECT_EQ(many.front(), 0u);
  EXPECT_EQ(many.back(), 40000u);
  EXPECT_TRUE(std::is_sorted(many.begin(), many.end()));
}

}  // namespace
}  // namespace gs::writer
