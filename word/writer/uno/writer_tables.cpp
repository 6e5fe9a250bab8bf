#include "word/writer/uno/writer_tables.h"

#include <algorithm>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>

#include "common/utf8.h"
#include "word/writer/exported_text.h"
#include "word/writer/uno/office_document.h"
#include "word/writer/word_error.h"

namespace gs::writer {

// A table's Cell, selected as Word selects a cell: its whole text.
class WriterTables::CellItem final : public WordCell {
 public:
  CellItem(WriterTables& tables, int32_t table, int32_t row, int32_t column)
      : tables_(tables), table_(table), row_(row), column_(column) {}
  void Select() override { tables_.SelectCell(table_, row_, column_); }

 private:
  WriterTables& tables_;
  int32_t table_, row_, column_;
};

// A table's column, selected whole.
class WriterTables::ColumnItem final : public WordColumn {
 public:
  ColumnItem(WriterTables& tables, int32_t table, int32_t column)
      : tables_(tables), table_(table), column_(column) {}
  void Select() override { tables_.SelectColumn(table_, column_); }

 private:
  WriterTables& tables_;
  int32_t table_, column_;
};

class WriterTables::TableItem final : public WordTable, public WordRows {
 public:
  TableItem(WriterTables& tables, int32_t index) : tables_(tables), index_(index) {}
  WordRows& Rows() override { return *this; }
  int32_t Count() override { return tables_.Rows(index_); }
  WordCell& Cell(int32_t row, int32_t column) override {
    auto& cell = cells_[{row, column}];
    if (!cell) cell = std::make_unique<CellItem>(tables_, index_, row, column);
    return *cell;
  }
  WordColumn& Columns(int32_t index) override {
    auto& column = columns_[index];
    if (!column) column = std::make_unique<ColumnItem>(tables_, index_, index);
    return *column;
  }
  void ConvertToText(const std::string& separator) override { tables_.ConvertToText(index_, separator); }

 private:
  WriterTables& tables_;
  int32_t index_;
  std::map<std::pair<int32_t, int32_t>, std::unique_ptr<CellItem>> cells_;
  std::map<int32_t, std::unique_ptr<ColumnItem>> columns_;
};

WriterTables::WriterTables(DocumentContent& content) : content_(content) {}
WriterTables::~WriterTables() = default;

WordTable& WriterTables::Item(int32_t index) {
  if (index < 1 || index > Count())
    RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
  auto& item = tables_[index];
  if (!item) item = std::make_unique<TableItem>(*this, index);
  return *item;
}

int32_t WriterTables::Count() {
  if (const TextDocument* text = content_.Text()) return static_cast<int32_t>(text->TableCount());
  return content_.Office().Call("Tables.Count", CallLength::Short, [&] {
    const auto parts = BodyPartsOf(content_.Model());
    return static_cast<int32_t>(
        std::count_if(parts.begin(), parts.end(), [](const BodyPart& p) { return p.table.is(); }));
  });
}

Reference<css::text::XTextTable> WriterTables::TableAt(int32_t index) {
  content_.HandToOffice();
  return content_.Office().Call("Tables.Item", CallLength::Short, [&] {
    int32_t seen = 0;
    for (const auto& part : BodyPartsOf(content_.Model())) {
      if (part.table.is() && ++seen == index) return part.table;
    }
    RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
  });
}

int32_t WriterTables::Rows(int32_t table) {
  if (const TextDocument* text = content_.Text()) return static_cast<int32_t>(text->TableRows(table));
  const auto t = TableAt(table);
  return content_.Office().Call("Rows.Count", CallLength::Short,
                                [&] { return static_cast<int32_t>(t->getRows()->getCount()); });
}

void WriterTables::SelectCell(int32_t table, int32_t row, int32_t column) {
  if (TextDocument* text = content_.Text()) return text->SelectCell(table, row, column);
  const auto t = TableAt(table);
  content_.Office().Call("Cell.Select", CallLength::Short, [&] {
    Reference<css::text::XText> cell;
    try {
      cell.set(Reference<css::table::XCellRange>(t, UNO_QUERY_THROW)
                   ->getCellByPosition(static_cast<sal_Int32>(column) - 1, static_cast<sal_Int32>(row) - 1),
               UNO_QUERY_THROW);
    } catch (const css::uno::Exception&) {
      // A row of merged or split cells has no position: its column-th cell by name.
      const auto names = t->getCellNames();
      int32_t seen = 0;
      for (sal_Int32 n = 0; n < names.getLength() && !cell.is(); ++n) {
        if (CellRow(ToUtf8(names[n])) == static_cast<size_t>(row) && ++seen == column)
          cell = CellTextOf(t, ToUtf8(names[n]));
      }
    }
    if (!cell.is())
      RaiseWordError(wderr::NoSuchMember,
                     "Cell(" + std::to_string(row) + ", " + std::to_string(column) + ")");
    // The cell's text, as Word selects a cell.
    if (content_.Controller().is()) {
      const auto view = content_.Cursor();
      view->gotoRange(cell->getStart(), false);
      view->gotoRange(cell->getEnd(), true);
    } else {
      auto cursor = cell->createTextCursorByRange(cell->getStart());
      cursor->gotoRange(cell->getEnd(), true);
      content_.SetCursor(std::move(cursor));
    }
  });
}

void WriterTables::SelectColumn(int32_t table, int32_t column) {
  TextDocument* text = content_.Text();
  if (text == nullptr) RaiseWordError(wderr::NotAvailable, "Columns.Select works on a table just converted");
  text->SelectColumn(table, column);
}

void WriterTables::ConvertToText(int32_t table, const std::string& separator) {
  if (!IsOneCodePoint(separator))
    RaiseWordError(wderr::ValueOutOfRange, "the separator must be one character");
  // The separator may be one that no Writer document can hold (NUL): the
  // converted text lives here.
  content_.TakeFromOffice();
  content_.Text()->ConvertToText(table, separator);
}

}  // namespace gs::writer
