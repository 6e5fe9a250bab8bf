// The Tables of a Writer document, their Rows and Cells: Word's table
// members over the document wherever it lives.
#pragma once

#include <com/sun/star/text/XTextTable.hpp>
#include <map>
#include <memory>
#include <string>

#include "word/word_app.h"
#include "word/writer/uno/document_content.h"

namespace gs::writer {

class WriterTables final : public WordTables {
 public:
  explicit WriterTables(DocumentContent& content);
  ~WriterTables() override;
  // The index-th table, counted from 1.
  WordTable& Item(int32_t index) override;

 private:
  class TableItem;
  class CellItem;
  class ColumnItem;

  int32_t Count();
  // The index-th table in the office (the document handed over first).
  Reference<css::text::XTextTable> TableAt(int32_t index);
  int32_t Rows(int32_t table);
  void SelectCell(int32_t table, int32_t row, int32_t column);
  // Only in a document that lives in this program (a table just converted).
  void SelectColumn(int32_t table, int32_t column);
  void ConvertToText(int32_t table, const std::string& separator);

  DocumentContent& content_;
  std::map<int32_t, std::unique_ptr<TableItem>> tables_;
};

}  // namespace gs::writer
