#include "word/writer/text_document.h"

#include <algorithm>

#include "common/utf8.h"
#include "word/word_app.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

void CheckSeparator(const std::string& separator) {
  if (!IsOneCodePoint(separator))
    RaiseWordError(wderr::ValueOutOfRange, "the separator must be one character");
}

std::vector<std::string> SplitFields(const std::string& text, const std::string& separator) {
  std::vector<std::string> fields;
  size_t from = 0;
  for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size()) {
    fields.push_back(text.substr(from, at - from));
  }
  fields.push_back(text.substr(from));
  return fields;
}

std::string JoinCells(const std::vector<std::string>& cells, std::string_view separator) {
  std::string line;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) line.append(separator);
    line.append(cells[c]);
  }
  return line;
}

bool IsParagraph(const Block& b) {
  return std::holds_alternative<std::string>(b);
}

}  // namespace

TextDocument::TextDocument() : TextDocument(std::vector<Block>{}) {}

TextDocument::TextDocument(std::vector<Block> blocks) : blocks_(std::move(blocks)) {
  EnsureFinalParagraph();
}

void TextDocument::EnsureFinalParagraph() {
  if (blocks_.empty() || !IsParagraph(blocks_.back())) blocks_.emplace_back(std::string());
}

size_t TextDocument::TableCount() const {
  return static_cast<size_t>(
      std::count_if(blocks_.begin(), blocks_.end(), [](const Block& b) { return !IsParagraph(b); }));
}

void TextDocument::SetLandscape(bool landscape) noexcept {
  modified_ |= landscape != landscape_;
  landscape_ = landscape;
}

void TextDocument::WholeStory() {
  start_ = Position{};
  end_ = Position{blocks_.size() - 1, 0, 0, std::get<std::string>(blocks_.back()).size()};
}

void TextDocument::ConvertToTable(const std::string& separator) {
  CheckSeparator(separator);
  const size_t first = start_.block;
  const size_t last = end_.block;
  Table table;
  size_t columns = 1;
  for (size_t b = first; b <= last; ++b) {
    if (!IsParagraph(blocks_[b])) RaiseWordError(wderr::NotAvailable, "the selection holds a table");
    table.rows.push_back(SplitFields(std::get<std::string>(blocks_[b]), separator));
    columns = std::max(columns, table.rows.back().size());
  }
  for (auto& row : table.rows) row.resize(columns);
  blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(first) + 1,
                blocks_.begin() + static_cast<ptrdiff_t>(last) + 1);
  blocks_[first] = std::move(table);
  EnsureFinalParagraph();
  modified_ = true;
  start_ = end_ = Position{first, 0, 0, 0};
}

void TextDocument::ConvertToText(int32_t index, const std::string& separator) {
  CheckSeparator(separator);
  const size_t b = TableBlock(index);
  std::vector<Block> lines;
  for (const auto& row : std::get<Table>(blocks_[b]).rows) lines.emplace_back(JoinCells(row, separator));
  const size_t count = lines.size();
  blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(b));
  blocks_.insert(blocks_.begin() + static_cast<ptrdiff_t>(b), lines.begin(), lines.end());
  EnsureFinalParagraph();
  modified_ = true;
  // The converted text stays selected, as in Word.
  start_ = Position{b, 0, 0, 0};
  const size_t lastLine = count > 0 ? b + count - 1 : b;
  end_ = Position{lastLine, 0, 0, count > 0 ? std::get<std::string>(blocks_[lastLine]).size() : 0};
}

void TextDocument::EndOfStory() {
  start_ = end_ = Position{blocks_.size() - 1, 0, 0, std::get<std::string>(blocks_.back()).size()};
}

void TextDocument::Backspace() {
  if (start_ != end_) {
    DeleteSelection();
    return;
  }
  Position& at = start_;
  if (auto* text = std::get_if<std::string>(&blocks_[at.block])) {
    if (at.offset > 0) {
      const size_t from = PreviousCodePoint(*text, at.offset);
      text->erase(from, at.offset - from);
      at.offset = from;
      modified_ = true;
    } else if (at.block > 0 && IsParagraph(blocks_[at.block - 1])) {
      auto& previous = std::get<std::string>(blocks_[at.block - 1]);
      const size_t join = previous.size();
      previous += *text;
      blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(at.block));
      at = Position{at.block - 1, 0, 0, join};
      modified_ = true;
    }
  } else if (at.offset > 0) {
    auto& cell = std::get<Table>(blocks_[at.block]).rows[at.row][at.column];
    const size_t from = PreviousCodePoint(cell, at.offset);
    cell.erase(from, at.offset - from);
    at.offset = from;
    modified_ = true;
  }
  end_ = start_;
}

void TextDocument::DeleteSelection() {
  const Position storyEnd{blocks_.size() - 1, 0, 0, std::get<std::string>(blocks_.back()).size()};
  if (start_ == Position{} && end_ == storyEnd) {
    blocks_.assign(1, std::string());
  } else if (start_.block == end_.block && !IsParagraph(blocks_[start_.block])) {
    if (start_.row != end_.row || start_.column != end_.column) {
      RaiseWordError(wderr::NotAvailable, "the selection spans several cells");
    }
    std::get<Table>(blocks_[start_.block])
        .rows[start_.row][start_.column]
        .erase(start_.offset, end_.offset - start_.offset);
  } else {
    if (!IsParagraph(blocks_[start_.block]) || !IsParagraph(blocks_[end_.block])) {
      RaiseWordError(wderr::NotAvailable, "the selection begins or ends in a table");
    }
    std::string joined = std::get<std::string>(blocks_[start_.block]).substr(0, start_.offset) +
                         std::get<std::string>(blocks_[end_.block]).substr(end_.offset);
    blocks_.erase(blocks_.begin() + static_cast<ptrdiff_t>(start_.block) + 1,
                  blocks_.begin() + static_cast<ptrdiff_t>(end_.block) + 1);
    blocks_[start_.block] = std::move(joined);
  }
  EnsureFinalParagraph();
  modified_ = true;
  start_.block = std::min(start_.block, blocks_.size() - 1);
  end_ = start_;
}

size_t TextDocument::TableBlock(int32_t index) const {
  int32_t seen = 0;
  for (size_t b = 0; b < blocks_.size(); ++b) {
    if (!IsParagraph(blocks_[b]) && ++seen == index) return b;
  }
  RaiseWordError(wderr::NoSuchMember, "table " + std::to_string(index));
}

size_t TextDocument::TableRows(int32_t index) const {
  return std::get<Table>(blocks_[TableBlock(index)]).rows.size();
}

void TextDocument::SelectCell(int32_t index, int32_t row, int32_t column) {
  const size_t block = TableBlock(index);
  const auto& rows = std::get<Table>(blocks_[block]).rows;
  if (row < 1 || static_cast<size_t>(row) > rows.size() || column < 1 ||
      static_cast<size_t>(column) > rows[row - 1].size()) {
    RaiseWordError(wderr::NoSuchMember, "cell (" + std::to_string(row) + ", " + std::to_string(column) + ")");
  }
  const auto r = static_cast<size_t>(row - 1);
  const auto c = static_cast<size_t>(column - 1);
  start_ = Position{block, r, c, 0};
  end_ = Position{block, r, c, rows[r][c].size()};
}

void TextDocument::SelectColumn(int32_t index, int32_t column) {
  const size_t block = TableBlock(index);
  const auto& rows = std::get<Table>(blocks_[block]).rows;
  const auto c = static_cast<size_t>(column - 1);
  if (column < 1 || rows.empty() || c >= rows.front().size()) {
    RaiseWordError(wderr::NoSuchMember, "Columns(" + std::to_string(column) + ")");
  }
  start_ = Position{block, 0, c, 0};
  end_ = Position{block, rows.size() - 1, c, rows.back()[c].size()};
}

void TextDocument::MarkLanguage(int32_t language) {
  auto* table = std::get_if<Table>(&blocks_[start_.block]);
  if (table == nullptr || end_.block != start_.block || start_.column != end_.column || start_.row != 0 ||
      start_.offset != 0 || end_.row + 1 != table->rows.size() ||
      end_.offset != table->rows.back()[end_.column].size()) {
    RaiseWordError(wderr::NotAvailable, "a language is marked here on a whole table column only");
  }
  if (table->languages.size() <= start_.column) table->languages.resize(start_.column + 1);
  table->languages[start_.column] = language;
  modified_ = true;
}

void TextDocument::CollapseToStart() {
  end_ = start_;
}

int32_t TextDocument::EndRowNumber() const {
  return IsParagraph(blocks_[end_.block]) ? -1 : static_cast<int32_t>(end_.row + 1);
}

std::vector<std::string> TextDocument::Lines() const {
  std::vector<std::string> lines;
  for (const auto& b : blocks_) {
    if (const auto* text = std::get_if<std::string>(&b)) {
      lines.push_back(*text);
    } else {
      for (const auto& row : std::get<Table>(b).rows) lines.push_back(JoinCells(row, "\t"));
    }
  }
  return lines;
}

}  // namespace gs::writer
