// A document as plain text: paragraphs and tables, a page orientation and a
// selection, with the editing operations of Word's Selection and Table that
// the steps use. It holds what a text file opened in Word holds (NUL
// characters included, which no Writer document can keep) and is what the
// word processor works on until a document needs Writer itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace gs::writer {

// A table: rows of cells; a cell's text is its paragraphs joined by '\n'.
struct Table {
  Table() = default;
  // Not explicit: a table is written as its rows, Table{{{"a", "b"}}}.
  Table(std::vector<std::vector<std::string>> cells) : rows(std::move(cells)) {}

  std::vector<std::vector<std::string>> rows;
  // The language (WdLanguageID) each column's text is marked with, by
  // column from 0; 0 or no entry: none.
  std::vector<int32_t> languages;
  bool operator==(const Table&) const = default;
};

// A paragraph's text ('\n' stands for a line break within it) or a table.
using Block = std::variant<std::string, Table>;

// A place in the document: a block, and in a table a cell; offset counts
// bytes in the paragraph or cell text.
struct Position {
  size_t block = 0;
  size_t row = 0;
  size_t column = 0;
  size_t offset = 0;
  auto operator<=>(const Position&) const = default;
};

class TextDocument {
 public:
  // An empty document: one empty paragraph.
  TextDocument();
  // The document always ends with a paragraph (the final paragraph mark);
  // one is added after a trailing table.
  explicit TextDocument(std::vector<Block> blocks);

  const std::vector<Block>& Blocks() const noexcept { return blocks_; }
  size_t TableCount() const;
  bool Landscape() const noexcept { return landscape_; }
  void SetLandscape(bool landscape) noexcept;
  // Whether anything changed since the document was read or last saved.
  bool Modified() const noexcept { return modified_; }
  void SetModified(bool modified) noexcept { modified_ = modified; }
  const Position& SelectionStart() const noexcept { return start_; }
  const Position& SelectionEnd() const noexcept { return end_; }

  void WholeStory();
  // Turns the selected paragraphs into one table: one row per paragraph, one
  // cell per field between separators (a one-character UTF-8 text); rows with
  // fewer fields get empty cells.
  void ConvertToTable(const std::string& separator);
  // Turns table number index (from 1) into one paragraph per row, its cells
  // joined by the separator.
  void ConvertToText(int32_t index, const std::string& separator);
  void EndOfStory();
  // Deletes the selection, or the character before the insertion point (the
  // paragraph mark before it at the start of a paragraph).
  void Backspace();
  // The rows of table number index (from 1).
  size_t TableRows(int32_t index) const;
  // Selects the text of a cell of table number index (row and column from 1).
  void SelectCell(int32_t index, int32_t row, int32_t column);
  // Selects every cell of a column (from 1) of table number index.
  void SelectColumn(int32_t index, int32_t column);
  // Marks the text of the selected column with a language (WdLanguageID);
  // refused for any other selection.
  void MarkLanguage(int32_t language);
  void CollapseToStart();
  // The table row (from 1) at the end of the selection, -1 outside a table
  // (Word's Information(wdEndOfRangeRowNumber)).
  int32_t EndRowNumber() const;

  // The document as Word writes it to a text file: one line per paragraph,
  // one per table row with its cells joined by tabs.
  std::vector<std::string> Lines() const;

 private:
  void EnsureFinalParagraph();
  // The block of table number index (from 1).
  size_t TableBlock(int32_t index) const;
  void DeleteSelection();

  std::vector<Block> blocks_;
  Position start_;
  Position end_;
  bool landscape_ = false;
  bool modified_ = false;
};

}  // namespace gs::writer
