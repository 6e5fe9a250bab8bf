#include "word/writer/uno/writer_document.h"

#include <algorithm>
#include <com/sun/star/awt/XTopWindow2.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/SequenceInputStream.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextViewCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseBroadcaster.hpp>
#include <com/sun/star/util/XCloseListener.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <cppuhelper/implbase1.hxx>
#include <filesystem>

#include "common/file.h"
#include "common/fs.h"
#include "common/utf8.h"
#include "word/writer/document_lock.h"
#include "word/writer/file_url.h"
#include "word/writer/flat_odt.h"
#include "word/writer/text_file.h"
#include "word/writer/word_error.h"
#include "word/writer/written_documents.h"

namespace gs::writer {

namespace {

using css::uno::Any;

// How many places of a body read through the text export are compared with
// the document itself.
constexpr size_t kSpotChecks = 24;

// The length in UTF-16 units (the office's character count) of UTF-8 text.
sal_Int32 Utf16Length(std::string_view text) {
  sal_Int32 units = 0;
  for (size_t i = 0; i < text.size();) units += DecodeUtf8(text, i) >= 0x10000 ? 2 : 1;
  return units;
}

// Column and row (from 0) of a simple cell name such as "B12".
std::pair<size_t, size_t> CellPosition(const std::string& name) {
  size_t column = 0;
  size_t i = 0;
  for (; i < name.size() && name[i] >= 'A' && name[i] <= 'Z'; ++i)
    column = column * 26 + static_cast<size_t>(name[i] - 'A' + 1);
  const size_t row = CellRow(name);
  if (column == 0 || row == 0 || name.find('.') != std::string::npos) {
    RaiseWordError(wderr::ValueOutOfRange, "cell " + name);
  }
  return {column - 1, row - 1};
}

// " (in use by ... )" when a lock file names who has the document open.
std::string LockHolder(const std::string& path) {
  try {
    const Bytes content = ReadWholeFile(DocumentLockPath(path));
    if (const auto lock = ParseDocumentLock(
            std::string_view(reinterpret_cast<const char*>(content.data()), content.size()))) {
      return " (in use by " + (lock->user.empty() ? lock->systemUser : lock->user) + " on " + lock->host +
             " since " + lock->time + ")";
    }
  } catch (const Error&) {
  }
  return {};
}

std::string TextOf(const Reference<css::text::XTextRange>& range) {
  return ToUtf8(range->getString());
}

Reference<css::text::XText> CellTextOf(const Reference<css::text::XTextTable>& table,
                                       const std::string& name) {
  Reference<css::text::XText> text(table->getCellByName(ToOUString(name)), UNO_QUERY);
  if (!text.is()) RaiseWordError(wderr::NoSuchMember, "cell " + name);
  return text;
}

}  // namespace

// Keeps a document alive while its window is closed under it.
class KeepOpen : public cppu::WeakImplHelper1<css::util::XCloseListener> {
 public:
  void SAL_CALL queryClosing(const css::lang::EventObject&, sal_Bool) override {
    throw css::util::CloseVetoException("kept for saving", nullptr);
  }
  void SAL_CALL notifyClosing(const css::lang::EventObject&) override {}
  void SAL_CALL disposing(const css::lang::EventObject&) override {}
};

class WriterDocument::TableItem final : public WordTable, public WordRows {
 public:
  TableItem(WriterDocument& document, int32_t index) : document_(document), index_(index) {}
  WordRows& Rows() override { return *this; }
  int32_t Count() override { return document_.TableRows(index_); }
  WordCell& Cell(int32_t row, int32_t column) override {
    auto& cell = cells_[{row, column}];
    if (!cell) cell = std::make_unique<CellItem>(document_, index_, row, column);
    return *cell;
  }
  void ConvertToText(const std::string& separator) override { document_.ConvertToText(index_, separator); }

 private:
  class CellItem final : public WordCell {
   public:
    CellItem(WriterDocument& document, int32_t table, int32_t row, int32_t column)
        : document_(document), table_(table), row_(row), column_(column) {}
    void Select() override { document_.SelectCell(table_, row_, column_); }

   private:
    WriterDocument& document_;
    int32_t table_, row_, column_;
  };

  WriterDocument& document_;
  int32_t index_;
  std::map<std::pair<int32_t, int32_t>, std::unique_ptr<CellItem>> cells_;
};

struct WriterDocument::BodyPart {
  Reference<css::text::XTextRange> paragraph;
  Reference<css::text::XTextTable> table;
};

WriterDocument::WriterDocument(OfficeConnection& office, TextDocument text, std::string path,
                               std::string filter)
    : office_(office), text_(std::move(text)), path_(std::move(path)), filter_(std::move(filter)) {}

Reference<css::text::XTextDocument> WriterDocument::Load(OfficeConnection& office, const std::string& path,
                                                         const std::string& filter) {
  return office.Call("Documents.Open " + path, CallLength::Long, [&] {
    // A model loaded without a frame has no view and no layout.
    Reference<css::frame::XLoadable> loadable(office.CreateInstance("com.sun.star.text.TextDocument"),
                                              UNO_QUERY_THROW);
    loadable->load(Properties(
        {Property("URL", Any(ToOUString(FileUrl(path)))), Property("FilterName", Any(ToOUString(filter)))}));
    return Reference<css::text::XTextDocument>(loadable, UNO_QUERY_THROW);
  });
}

WriterDocument::WriterDocument(OfficeConnection& office, Reference<css::text::XTextDocument> model,
                               std::string path, std::string filter)
    : office_(office), model_(std::move(model)), path_(std::move(path)), filter_(std::move(filter)) {
  office_.Call("Documents.Open", CallLength::Short, [&] { cursor_ = model_->getText()->createTextCursor(); });
}

WriterDocument::~WriterDocument() {
  Close();
}

void WriterDocument::Release() noexcept {
  cursor_.clear();
  controller_.clear();
  model_.clear();
}

void WriterDocument::Close() noexcept {
  cursor_.clear();
  controller_.clear();
  if (model_.is() && office_.Connected()) {
    try {
      office_.Call("close", CallLength::Short, [&] {
        try {
          Reference<css::util::XCloseable>(model_, UNO_QUERY_THROW)->close(true);
        } catch (const css::uno::Exception&) {
          // Closed by the user, or the office is going away: nothing left to close.
        }
      });
    } catch (const Error&) {
    }
  }
  model_.clear();
}

// --- between this program and the office

void WriterDocument::Materialize() {
  if (!text_) return;
  if (filter_ != kTextFormat && !text_->Modified()) {
    office_.ClearStaleLock(path_);
    model_ = Load(office_, path_, filter_);
  } else {
    LoadFlatOdt(FlatOdt(*text_));
  }
  const TextDocument text = std::move(*text_);
  text_.reset();
  if (text.Landscape() && !Page().landscape) SetOrientation(wd::OrientLandscape);
  office_.Call("hand the document to Writer", CallLength::Long, [&] {
    // The selection goes along: its start, in its paragraph or cell (the
    // start of the document should the office see the body differently).
    cursor_ = model_->getText()->createTextCursor();
    try {
      const Position at = text.SelectionStart();
      const auto parts = BodyParts();
      const auto& part = parts.at(std::min(at.block, parts.size() - 1));
      Reference<css::text::XText> where;
      std::string_view before;
      if (const auto* table = std::get_if<Table>(&text.Blocks()[at.block]); table && part.table.is()) {
        where.set(Reference<css::table::XCellRange>(part.table, UNO_QUERY_THROW)
                      ->getCellByPosition(static_cast<sal_Int32>(at.column), static_cast<sal_Int32>(at.row)),
                  UNO_QUERY_THROW);
        before = table->rows.at(at.row).at(at.column);
        cursor_ = where->createTextCursorByRange(where->getStart());
      } else if (const auto* paragraph = std::get_if<std::string>(&text.Blocks()[at.block]);
                 paragraph && part.paragraph.is()) {
        before = *paragraph;
        cursor_ = part.paragraph->getText()->createTextCursorByRange(part.paragraph->getStart());
      }
      cursor_->goRight(
          static_cast<sal_Int16>(std::min<sal_Int32>(Utf16Length(before.substr(0, at.offset)), 0x7FFF)),
          false);
    } catch (const css::uno::Exception&) {
    } catch (const std::out_of_range&) {
    }
    Reference<css::util::XModifiable>(model_, UNO_QUERY_THROW)->setModified(text.Modified());
  });
}

void WriterDocument::LoadFlatOdt(const std::string& fodt) {
  office_.Call("hand the document to Writer", CallLength::Long, [&] {
    const css::uno::Sequence<sal_Int8> bytes(reinterpret_cast<const sal_Int8*>(fodt.data()),
                                             static_cast<sal_Int32>(fodt.size()));
    const auto stream = css::io::SequenceInputStream::createStreamFromSequence(office_.Context(), bytes);
    // A model loaded without a frame has no view and no layout.
    Reference<css::frame::XLoadable> loadable(office_.CreateInstance("com.sun.star.text.TextDocument"),
                                              UNO_QUERY_THROW);
    loadable->load(
        Properties({Property("URL", Any(OUString("private:stream"))), Property("InputStream", Any(stream)),
                    Property("FilterName", Any(OUString("OpenDocument Text Flat XML")))}));
    model_.set(loadable, UNO_QUERY_THROW);
  });
}

std::vector<WriterDocument::BodyPart> WriterDocument::BodyParts() {
  std::vector<BodyPart> parts;
  const auto elements =
      Reference<css::container::XEnumerationAccess>(model_->getText(), UNO_QUERY_THROW)->createEnumeration();
  while (elements->hasMoreElements()) {
    const Any element = elements->nextElement();
    BodyPart part;
    if (Reference<css::lang::XServiceInfo>(element, UNO_QUERY_THROW)
            ->supportsService("com.sun.star.text.TextTable")) {
      part.table.set(element, UNO_QUERY_THROW);
    } else {
      part.paragraph.set(element, UNO_QUERY_THROW);
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

std::vector<Block> WriterDocument::ReadBody() {
  return office_.Call("read the document", CallLength::Long, [&] {
    const auto parts = BodyParts();
    std::vector<BodyElement> shape(parts.size());
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!parts[k].table.is()) continue;
      shape[k].isTable = true;
      const auto names = parts[k].table->getCellNames();
      for (sal_Int32 n = 0; n < names.getLength(); ++n) shape[k].cellNames.push_back(ToUtf8(names[n]));
    }
    // Writer's own text export is fast; the line count says whether its
    // lines are the paragraphs and cells one to one.
    const std::string exported = office_.ExchangePath(".txt");
    Reference<css::frame::XStorable>(model_, UNO_QUERY_THROW)
        ->storeToURL(ToOUString(FileUrl(exported)),
                     Properties({Property("FilterName", Any(OUString("Text (encoded)"))),
                                 Property("FilterOptions", Any(OUString("UTF8,CRLF,,")))}));
    Bytes bytes;
    std::error_code ignored;
    try {
      bytes = ReadWholeFile(exported);
    } catch (const Error&) {
      std::filesystem::remove(exported, ignored);
      throw;
    }
    std::filesystem::remove(exported, ignored);
    auto mapped = MapExportedLines(
        ExportedLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())), shape);

    // Where each text came from: a paragraph, or a table's cell by name.
    struct Place {
      size_t part;
      size_t cell;
    };
    std::vector<Place> places;
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!shape[k].isTable) places.push_back({k, 0});
      for (size_t c = 0; c < shape[k].cellNames.size(); ++c) places.push_back({k, c});
    }
    const auto textAt = [&](const Place& p) {
      return parts[p.part].table.is()
                 ? ToUtf8(CellTextOf(parts[p.part].table, shape[p.part].cellNames[p.cell])->getString())
                 : TextOf(parts[p.part].paragraph);
    };
    if (mapped) {
      std::vector<const std::string*> texts;
      for (const auto& block : *mapped) {
        if (const auto* p = std::get_if<std::string>(&block)) texts.push_back(p);
        if (const auto* t = std::get_if<Table>(&block)) {
          for (const auto& row : t->rows) {
            for (const auto& cell : row) texts.push_back(&cell);
          }
        }
      }
      const auto checks = SpotChecks(places.size(), kSpotChecks);
      if (std::all_of(checks.begin(), checks.end(),
                      [&](size_t i) { return textAt(places[i]) == *texts[i]; })) {
        return std::move(*mapped);
      }
    }
    // Some paragraph or cell took several lines: read every one of them.
    std::vector<Block> blocks;
    for (size_t k = 0; k < parts.size(); ++k) {
      if (!shape[k].isTable) {
        blocks.emplace_back(TextOf(parts[k].paragraph));
        continue;
      }
      Table table;
      size_t currentRow = 0;
      for (size_t c = 0; c < shape[k].cellNames.size(); ++c) {
        const size_t row = CellRow(shape[k].cellNames[c]);
        if (table.rows.empty() || row != currentRow) table.rows.emplace_back();
        currentRow = row;
        table.rows.back().push_back(textAt({k, c}));
      }
      blocks.emplace_back(std::move(table));
    }
    return blocks;
  });
}

void WriterDocument::TakeAsText() {
  if (text_) return;
  if (controller_.is()) {
    RaiseWordError(wderr::NotAvailable, "the document is shown in a window; convert it before showing it");
  }
  const bool landscape = Page().landscape;
  const bool modified = Modified();
  TextDocument text(ReadBody());
  text.SetLandscape(landscape);
  text.SetModified(modified);
  Close();
  text_ = std::move(text);
}

// --- the document

void WriterDocument::SaveAs(const std::string& fileName, std::optional<int32_t> fileFormat,
                            std::optional<int32_t> encoding, std::optional<bool> /*allowSubstitutions*/) {
  const std::string path = AbsolutePath(fileName);
  const int32_t format = fileFormat.value_or(wd::FormatDocument);
  if (format == wd::FormatDocument) {
    StoreAs(path, kWord97Filter);
    filter_ = kWord97Filter;
  } else if (format == wd::FormatEncodedText) {
    // UTF-8 can hold every character, so substitutions never arise.
    if (encoding.value_or(wd::EncodingUTF8) != wd::EncodingUTF8) {
      RaiseWordError(wderr::ValueOutOfRange,
                     "encoding " + std::to_string(*encoding) + " (only 65001, UTF-8)");
    }
    WriteText(path);
    filter_ = kTextFormat;
  } else {
    RaiseWordError(wderr::ValueOutOfRange, "file format " + std::to_string(format));
  }
  path_ = path;
}

void WriterDocument::StoreAs(const std::string& path, const std::string& filter) {
  std::optional<TextDocument> written = text_;
  Materialize();
  // A document's own lock is live; any other of ours beside the target is stale.
  if (path != path_) office_.ClearStaleLock(path);
  office_.Call("SaveAs " + path, CallLength::Long, [&] {
    const Reference<css::frame::XStorable> storable(model_, UNO_QUERY_THROW);
    if (path == path_ && storable->isReadonly()) {
      RaiseWordError(wderr::CommandFailed,
                     path + " is open read-only" + LockHolder(path) + "; it was not saved");
    }
    // The office writes a temporary file beside the target and renames it.
    storable->storeAsURL(ToOUString(FileUrl(path)),
                         Properties({Property("FilterName", Any(ToOUString(filter)))}));
  });
  // The next word processor of the save-back step opens this file again:
  // it is spared loading and reading it when the bytes are still these.
  try {
    if (!written) written.emplace(ReadBody()).SetLandscape(Page().landscape);
    WrittenDocuments::Instance().Remember(path, *written);
  } catch (const Error&) {
    WrittenDocuments::Instance().Forget();
  }
}

void WriterDocument::WriteText(const std::string& path) {
  if (text_) {
    WriteTextDocument(path, text_->Lines());
    text_->SetModified(false);
    return;
  }
  WriteTextDocument(path, TextDocument(ReadBody()).Lines());
  MarkSaved();
}

void WriterDocument::SetOrientation(int32_t orientation) {
  if (orientation != wd::OrientPortrait && orientation != wd::OrientLandscape) {
    RaiseWordError(wderr::ValueOutOfRange, "orientation " + std::to_string(orientation));
  }
  const bool landscape = orientation == wd::OrientLandscape;
  // A copy of a document file keeps its page formats in the office.
  if (text_ && filter_ != kTextFormat) Materialize();
  if (text_) {
    text_->SetLandscape(landscape);
    return;
  }
  office_.Call("PageSetup.Orientation", CallLength::Short, [&] {
    const auto style = PageStyle();
    sal_Int32 width = 0;
    sal_Int32 height = 0;
    style->getPropertyValue("Width") >>= width;
    style->getPropertyValue("Height") >>= height;
    style->setPropertyValue("IsLandscape", Any(landscape));
    // The flag alone leaves the page as it was: turn the sheet as well.
    if ((width < height) == landscape) {
      style->setPropertyValue("Width", Any(height));
      style->setPropertyValue("Height", Any(width));
    }
  });
}

Reference<css::beans::XPropertySet> WriterDocument::PageStyle() {
  // The page style of the first paragraph or table; a model without a view
  // often names none, and then has only the default one.
  OUString styleName;
  const auto parts = BodyParts();
  if (!parts.empty()) {
    css::uno::XInterface* first = parts[0].table.is()
                                      ? static_cast<css::uno::XInterface*>(parts[0].table.get())
                                      : static_cast<css::uno::XInterface*>(parts[0].paragraph.get());
    Reference<css::beans::XPropertySet>(first, UNO_QUERY_THROW)->getPropertyValue("PageDescName") >>=
        styleName;
  }
  if (styleName.isEmpty()) styleName = "Standard";
  const Reference<css::container::XNameAccess> pageStyles(
      Reference<css::style::XStyleFamiliesSupplier>(model_, UNO_QUERY_THROW)
          ->getStyleFamilies()
          ->getByName("PageStyles"),
      UNO_QUERY_THROW);
  return Reference<css::beans::XPropertySet>(pageStyles->getByName(styleName), UNO_QUERY_THROW);
}

WordTable& WriterDocument::Item(int32_t index) {
  if (index < 1 || index > TableCount())
    RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
  auto& item = tables_[index];
  if (!item) item = std::make_unique<TableItem>(*this, index);
  return *item;
}

Reference<css::text::XTextTable> WriterDocument::TableAt(int32_t index) {
  Materialize();
  return office_.Call("Tables.Item", CallLength::Short, [&] {
    int32_t seen = 0;
    for (const auto& part : BodyParts()) {
      if (part.table.is() && ++seen == index) return part.table;
    }
    RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
  });
}

int32_t WriterDocument::TableCount() {
  if (text_) return static_cast<int32_t>(text_->TableCount());
  return office_.Call("Tables.Count", CallLength::Short, [&] {
    const auto parts = BodyParts();
    return static_cast<int32_t>(
        std::count_if(parts.begin(), parts.end(), [](const BodyPart& p) { return p.table.is(); }));
  });
}

// --- the selection

Reference<css::text::XTextCursor> WriterDocument::Cursor() {
  if (!controller_.is()) return cursor_;
  Reference<css::text::XTextCursor> view(
      Reference<css::text::XTextViewCursorSupplier>(controller_, UNO_QUERY_THROW)->getViewCursor(),
      UNO_QUERY_THROW);
  return view;
}

void WriterDocument::WholeStory() {
  if (text_) return text_->WholeStory();
  office_.Call("Selection.WholeStory", CallLength::Short, [&] {
    if (!controller_.is()) cursor_ = model_->getText()->createTextCursor();
    const auto cursor = Cursor();
    cursor->gotoStart(false);
    cursor->gotoEnd(true);
  });
}

void WriterDocument::ConvertToTable(const std::string& separator) {
  if (!text_) {
    RaiseWordError(wderr::NotAvailable, "ConvertToTable works on documents opened as text");
  }
  text_->ConvertToTable(separator);
}

void WriterDocument::SelectCell(int32_t table, int32_t row, int32_t column) {
  if (text_) return text_->SelectCell(table, row, column);
  const auto t = TableAt(table);
  office_.Call("Cell.Select", CallLength::Short, [&] {
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
    if (controller_.is()) {
      const auto view = Cursor();
      view->gotoRange(cell->getStart(), false);
      view->gotoRange(cell->getEnd(), true);
    } else {
      cursor_ = cell->createTextCursorByRange(cell->getStart());
      cursor_->gotoRange(cell->getEnd(), true);
    }
  });
}

void WriterDocument::Collapse(int32_t direction) {
  if (text_) return text_->Collapse(direction);
  office_.Call("Selection.Collapse", CallLength::Short, [&] {
    const auto cursor = Cursor();
    if (direction == wd::CollapseStart) {
      cursor->collapseToStart();
    } else {
      cursor->collapseToEnd();
    }
  });
}

int32_t WriterDocument::Information(int32_t type) {
  if (text_) return text_->Information(type);
  if (type != wd::WithInTable && type != wd::StartOfRangeRowNumber && type != wd::EndOfRangeRowNumber) {
    RaiseWordError(wderr::ValueOutOfRange, "Information type " + std::to_string(type));
  }
  return office_.Call("Selection.Information", CallLength::Short, [&] {
    const auto cursor = Cursor();
    const auto end = type == wd::StartOfRangeRowNumber ? cursor->getStart() : cursor->getEnd();
    const Reference<css::beans::XPropertySet> at(end->getText()->createTextCursorByRange(end),
                                                 UNO_QUERY_THROW);
    const Reference<css::beans::XPropertySet> cell(at->getPropertyValue("Cell"), UNO_QUERY);
    OUString name;
    if (cell.is()) cell->getPropertyValue("CellName") >>= name;
    const size_t row = CellRow(ToUtf8(name));
    if (type == wd::WithInTable) return row > 0 ? -1 : 0;
    return row > 0 ? static_cast<int32_t>(row) : -1;
  });
}

void WriterDocument::EndKey(int32_t unit) {
  if (unit != wd::Story) RaiseWordError(wderr::ValueOutOfRange, "EndKey unit " + std::to_string(unit));
  if (text_) return text_->EndOfStory();
  office_.Call("Selection.EndKey", CallLength::Short, [&] {
    if (!controller_.is()) cursor_ = model_->getText()->createTextCursor();
    Cursor()->gotoEnd(false);
  });
}

void WriterDocument::TypeBackspace() {
  if (text_) return text_->Backspace();
  office_.Call("Selection.TypeBackspace", CallLength::Short, [&] {
    const auto cursor = Cursor();
    if (cursor->isCollapsed() && !cursor->goLeft(1, true)) return;
    cursor->setString(OUString());
  });
}

void WriterDocument::ConvertToText(int32_t table, const std::string& separator) {
  if (!IsOneCodePoint(separator))
    RaiseWordError(wderr::ValueOutOfRange, "the separator must be one character");
  // The separator may be one that no Writer document can hold (NUL): the
  // converted text lives here.
  TakeAsText();
  text_->ConvertToText(table, separator);
}

// --- window and state

void WriterDocument::Show(bool visible) {
  if (visible && office_.Headless()) {
    RaiseWordError(wderr::NotAvailable, "the word processor runs without a display and cannot show a window");
  }
  if (visible) Materialize();
  if (visible && !controller_.is()) {
    office_.Call("Visible", CallLength::Long, [&] {
      // The model that was loaded without a view gets one in a new, hidden frame.
      const Reference<css::frame::XModel> model(model_, UNO_QUERY_THROW);
      Reference<css::frame::XComponentLoader>(office_.Desktop(), UNO_QUERY_THROW)
          ->loadComponentFromURL("private:object", "_blank", 0,
                                 Properties({Property("Model", Any(model)), Property("Hidden", Any(true))}));
      controller_ = model->getCurrentController();
      if (!controller_.is())
        RaiseWordError(wderr::CommandFailed, "Visible: Writer made no window for the document");
      const auto view = Cursor();
      view->gotoRange(cursor_->getStart(), false);
      if (!cursor_->isCollapsed()) view->gotoRange(cursor_->getEnd(), true);
      cursor_.clear();
    });
  }
  if (!controller_.is()) return;
  office_.Call("Visible", CallLength::Long, [&] {
    const auto window = controller_->getFrame()->getContainerWindow();
    window->setVisible(visible);
    if (visible) Reference<css::awt::XTopWindow2>(window, UNO_QUERY_THROW)->toFront();
  });
}

void WriterDocument::SetWindowState(int32_t state) {
  if (!controller_.is()) return;
  office_.Call("WindowState", CallLength::Long, [&] {
    const Reference<css::awt::XTopWindow2> window(controller_->getFrame()->getContainerWindow(),
                                                  UNO_QUERY_THROW);
    window->setIsMinimized(state == wd::WindowStateMinimize);
    window->setIsMaximized(state == wd::WindowStateMaximize);
    if (state != wd::WindowStateMinimize) window->toFront();
  });
}

bool WriterDocument::Closed() {
  if (!model_.is()) return false;
  try {
    model_->getText();
    return false;
  } catch (const css::lang::DisposedException&) {
    return office_.Connected();
  } catch (const css::uno::Exception&) {
    return false;
  }
}

bool WriterDocument::Modified() {
  if (text_) return text_->Modified();
  return office_.Call("Saved", CallLength::Short, [&] {
    return static_cast<bool>(Reference<css::util::XModifiable>(model_, UNO_QUERY_THROW)->isModified());
  });
}

void WriterDocument::MarkSaved() {
  if (text_) return text_->SetModified(false);
  office_.Call("Saved", CallLength::Short,
               [&] { Reference<css::util::XModifiable>(model_, UNO_QUERY_THROW)->setModified(false); });
}

void WriterDocument::SaveInOwnFormat() {
  if (!Modified()) return;
  if (path_.empty())
    RaiseWordError(wderr::CommandFailed, "the document was never saved and has no file name");
  // Writer stores a document with a window only after laying all of it out,
  // which takes minutes for a big table; without its window it stores at once.
  const bool shown = controller_.is();
  DropWindow();
  try {
    if (filter_ == kTextFormat) {
      WriteText(path_);
    } else {
      StoreAs(path_, filter_);
    }
  } catch (const Error&) {
    // Not saved: the user gets the document back to save it.
    if (shown) {
      try {
        Show(true);
      } catch (const Error&) {
      }
    }
    throw;
  }
  MarkSaved();
}

void WriterDocument::DropWindow() {
  if (!controller_.is()) return;
  office_.Call("Quit", CallLength::Long, [&] {
    const Reference<css::util::XCloseBroadcaster> closing(model_, UNO_QUERY_THROW);
    const Reference<css::util::XCloseListener> keep(new KeepOpen);
    closing->addCloseListener(keep);
    try {
      Reference<css::lang::XComponent>(controller_->getFrame(), UNO_QUERY_THROW)->dispose();
    } catch (const css::uno::Exception&) {
      closing->removeCloseListener(keep);
      throw;
    }
    closing->removeCloseListener(keep);
    controller_.clear();
    cursor_ = model_->getText()->createTextCursor();
  });
}

// --- the probe's view

const Table& WriterDocument::TextTable(int32_t index) const {
  int32_t seen = 0;
  for (const auto& block : text_->Blocks()) {
    if (const auto* table = std::get_if<Table>(&block); table != nullptr && ++seen == index) return *table;
  }
  RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
}

int32_t WriterDocument::TableRows(int32_t table) {
  if (text_) return static_cast<int32_t>(text_->TableRows(table));
  const auto t = TableAt(table);
  return office_.Call("Rows.Count", CallLength::Short,
                      [&] { return static_cast<int32_t>(t->getRows()->getCount()); });
}

int32_t WriterDocument::TableColumns(int32_t table) {
  if (text_) {
    const auto& rows = TextTable(table).rows;
    return rows.empty() ? 0 : static_cast<int32_t>(rows.front().size());
  }
  const auto t = TableAt(table);
  return office_.Call("probe", CallLength::Short,
                      [&] { return static_cast<int32_t>(t->getColumns()->getCount()); });
}

std::string WriterDocument::CellText(int32_t table, const std::string& cell) {
  if (text_) {
    const auto [column, row] = CellPosition(cell);
    return TextTable(table).rows.at(row).at(column);
  }
  const auto t = TableAt(table);
  return office_.Call("probe", CallLength::Short, [&] { return ToUtf8(CellTextOf(t, cell)->getString()); });
}

void WriterDocument::SetCellText(int32_t table, const std::string& cell, const std::string& text) {
  const auto t = TableAt(table);
  (void)CellPosition(cell);
  office_.Call("probe", CallLength::Short, [&] { CellTextOf(t, cell)->setString(ToOUString(text)); });
}

PageSize WriterDocument::Page() {
  if (text_) return PageSize{0, 0, text_->Landscape()};
  return office_.Call("probe", CallLength::Short, [&] {
    const auto style = PageStyle();
    PageSize page;
    style->getPropertyValue("Width") >>= page.width;
    style->getPropertyValue("Height") >>= page.height;
    style->getPropertyValue("IsLandscape") >>= page.landscape;
    return page;
  });
}

bool WriterDocument::WindowVisible() {
  if (!controller_.is()) return false;
  return office_.Call("probe", CallLength::Short, [&] {
    return static_cast<bool>(
        Reference<css::awt::XWindow2>(controller_->getFrame()->getContainerWindow(), UNO_QUERY_THROW)
            ->isVisible());
  });
}

bool WriterDocument::WindowMaximized() {
  if (!controller_.is()) return false;
  return office_.Call("probe", CallLength::Short, [&] {
    return static_cast<bool>(
        Reference<css::awt::XTopWindow2>(controller_->getFrame()->getContainerWindow(), UNO_QUERY_THROW)
            ->getIsMaximized());
  });
}

void WriterDocument::CloseWindow() {
  if (!controller_.is()) RaiseWordError(wderr::NotAvailable, "the document has no window");
  office_.Call("probe", CallLength::Long, [&] {
    Reference<css::util::XModifiable>(model_, UNO_QUERY_THROW)->setModified(false);
    const Reference<css::frame::XDispatchProvider> frame(controller_->getFrame(), UNO_QUERY_THROW);
    css::frame::DispatchHelper::create(office_.Context())
        ->executeDispatch(frame, ".uno:CloseWin", "", 0, css::uno::Sequence<css::beans::PropertyValue>());
  });
}

}  // namespace gs::writer
