#include "word/writer/uno/document_content.h"

#include <algorithm>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include "common/utf8.h"
#include "word/writer/flat_odt.h"
#include "word/writer/uno/office_document.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

// The length in UTF-16 units (the office's character count) of UTF-8 text.
sal_Int32 Utf16Length(std::string_view text) {
  sal_Int32 units = 0;
  for (size_t i = 0; i < text.size();) units += DecodeUtf8(text, i) >= 0x10000 ? 2 : 1;
  return units;
}

}  // namespace

DocumentContent::DocumentContent(OfficeConnection& office, TextDocument text, std::string path,
                                 std::string filter)
    : office_(office), text_(std::move(text)), path_(std::move(path)), filter_(std::move(filter)) {}

DocumentContent::DocumentContent(OfficeConnection& office, Reference<css::text::XTextDocument> model,
                                 std::string path, std::string filter)
    : office_(office), model_(std::move(model)), path_(std::move(path)), filter_(std::move(filter)) {
  office_.Call("Documents.Open", CallLength::Short, [&] { cursor_ = model_->getText()->createTextCursor(); });
}

DocumentContent::~DocumentContent() {
  Close();
}

void DocumentContent::HandToOffice() {
  if (!text_) return;
  if (filter_ != kTextFormat && !text_->Modified()) {
    office_.ClearStaleLock(path_);
    model_ = LoadDocument(office_, path_, filter_);
  } else {
    model_ = LoadFlatOdt(office_, FlatOdt(*text_));
  }
  const TextDocument text = std::move(*text_);
  text_.reset();
  if (text.Landscape()) {
    office_.Call("PageSetup.Orientation", CallLength::Short, [&] {
      const auto style = PageStyleOf(model_);
      if (!IsLandscape(style)) SetLandscape(style, true);
    });
  }
  office_.Call("hand the document to Writer", CallLength::Long, [&] {
    // The selection goes along: its start, in its paragraph or cell (the
    // start of the document should the office see the body differently).
    cursor_ = model_->getText()->createTextCursor();
    try {
      const Position at = text.SelectionStart();
      const auto parts = BodyPartsOf(model_);
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

void DocumentContent::TakeFromOffice() {
  if (text_) return;
  if (controller_.is()) {
    RaiseWordError(wderr::NotAvailable, "the document is shown in a window; convert it before showing it");
  }
  const bool landscape = office_.Call("PageSetup.Orientation", CallLength::Short,
                                      [&] { return IsLandscape(PageStyleOf(model_)); });
  const bool modified = Modified();
  TextDocument text(ReadBody(office_, model_));
  text.SetLandscape(landscape);
  text.SetModified(modified);
  Close();
  text_ = std::move(text);
}

Reference<css::text::XTextCursor> DocumentContent::Cursor() {
  if (!controller_.is()) return cursor_;
  Reference<css::text::XTextCursor> view(
      Reference<css::text::XTextViewCursorSupplier>(controller_, UNO_QUERY_THROW)->getViewCursor(),
      UNO_QUERY_THROW);
  return view;
}

void DocumentContent::ResetCursor() {
  if (!controller_.is()) cursor_ = model_->getText()->createTextCursor();
}

void DocumentContent::SetFile(std::string path, std::string filter) {
  path_ = std::move(path);
  filter_ = std::move(filter);
}

bool DocumentContent::Closed() {
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

bool DocumentContent::Modified() {
  if (text_) return text_->Modified();
  return office_.Call("Saved", CallLength::Short, [&] {
    return static_cast<bool>(Reference<css::util::XModifiable>(model_, UNO_QUERY_THROW)->isModified());
  });
}

void DocumentContent::MarkSaved() {
  if (text_) return text_->SetModified(false);
  office_.Call("Saved", CallLength::Short,
               [&] { Reference<css::util::XModifiable>(model_, UNO_QUERY_THROW)->setModified(false); });
}

void DocumentContent::Release() noexcept {
  cursor_.clear();
  controller_.clear();
  model_.clear();
}

void DocumentContent::Close() noexcept {
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

}  // namespace gs::writer
