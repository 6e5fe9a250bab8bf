// One open document of the Writer application. A document opened from a text
// file lives as a TextDocument in this program (Writer cannot hold its NUL
// separators) until something needs Writer: then it is handed over as a Flat
// ODT, loaded without a window (no layout, which is what makes big tables
// slow). It gets a window only when the application is made visible.
#pragma once

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "word/word_app.h"
#include "word/writer/exported_text.h"
#include "word/writer/text_document.h"
#include "word/writer/uno/office_connection.h"
#include "tests/word/probe/writer_probe.h"

namespace gs::writer {

// The filter that saves a document in our own text form.
inline constexpr const char* kTextFormat = "";
inline constexpr const char* kWord97Filter = "MS Word 97";

class WriterDocument final : public WordDocument, public WordPageSetup, public WordTables {
 public:
  // Loads a file into the office, without a view.
  static Reference<css::text::XTextDocument> Load(OfficeConnection& office, const std::string& path,
                                                  const std::string& filter);

 public:
  // A document read from a text file (path), or the text of a document file
  // this program wrote itself (path, in the office filter).
  WriterDocument(OfficeConnection& office, TextDocument text, std::string path,
                 std::string filter = kTextFormat);
  // A document loaded into the office from path with filter.
  WriterDocument(OfficeConnection& office, Reference<css::text::XTextDocument> model, std::string path,
                 std::string filter);
  ~WriterDocument() override;

  // WordDocument
  WordPageSetup& PageSetup() override { return *this; }
  WordTables& Tables() override { return *this; }
  void SaveAs(const std::string& fileName, std::optional<int32_t> fileFormat, std::optional<int32_t> encoding,
              std::optional<bool> allowSubstitutions) override;
  // WordPageSetup
  void SetOrientation(int32_t orientation) override;
  // WordTables
  WordTable& Item(int32_t index) override;

  // The Selection of this document.
  void WholeStory();
  void ConvertToTable(const std::string& separator);
  void Collapse(int32_t direction);
  int32_t Information(int32_t type);
  void EndKey(int32_t unit);
  void TypeBackspace();
  void ConvertToText(int32_t table, const std::string& separator);
  // Cell.Select of a table's cell (row and column from 1), and Rows.Count.
  void SelectCell(int32_t table, int32_t row, int32_t column);
  int32_t TableRows(int32_t table);

  // Shows or hides the document's window (made on first showing).
  void Show(bool visible);
  void SetWindowState(int32_t state);
  // Where it was read or last saved ("" when never saved).
  const std::string& Path() const noexcept { return path_; }
  // Whether the user closed it in the office.
  bool Closed();
  bool Modified();
  // Saves the document where and as it was last saved (Quit with SaveChanges).
  void SaveInOwnFormat();
  // Leaves it unmodified, so that closing it asks nothing.
  void MarkSaved();
  void Close() noexcept;
  // Lets go of the document without closing it.
  void Release() noexcept;

  // What the probe reads.
  int32_t TableCount();
  int32_t TableColumns(int32_t table);
  std::string CellText(int32_t table, const std::string& cell);
  void SetCellText(int32_t table, const std::string& cell, const std::string& text);
  PageSize Page();
  bool WindowVisible();
  bool WindowMaximized();
  void CloseWindow();

 private:
  class TableItem;
  struct BodyPart;

  // Hands the text over to the office: the file itself when the text is an
  // unchanged copy of it, a Flat ODT of the text otherwise.
  void Materialize();
  void LoadFlatOdt(const std::string& fodt);
  // Closes the window, keeping the document open.
  void DropWindow();
  void TakeAsText();
  std::vector<Block> ReadBody();
  std::vector<BodyPart> BodyParts();
  Reference<css::text::XTextCursor> Cursor();
  Reference<css::text::XTextTable> TableAt(int32_t index);
  const Table& TextTable(int32_t index) const;
  Reference<css::beans::XPropertySet> PageStyle();
  void StoreAs(const std::string& path, const std::string& filter);
  void WriteText(const std::string& path);

  OfficeConnection& office_;
  // The document, while it lives here (read from a text file, built from
  // one, or recalled from WrittenDocuments).
  std::optional<TextDocument> text_;
  Reference<css::text::XTextDocument> model_;
  // The selection while the document has no window; the view cursor after.
  Reference<css::text::XTextCursor> cursor_;
  Reference<css::frame::XController> controller_;
  std::string path_;    // where it was read or last saved; empty: never saved
  std::string filter_;  // how it is saved there: kTextFormat or an office filter
  std::map<int32_t, std::unique_ptr<TableItem>> tables_;
};

}  // namespace gs::writer
