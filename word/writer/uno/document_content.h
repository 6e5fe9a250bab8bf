// Where an open document lives, and its hand-over between this program and
// the office. A document opened from a text file lives here as a
// TextDocument (Writer cannot hold its NUL separators), as does the text of
// a document file this program wrote itself; when something needs Writer it
// is handed over, loaded without a window (no layout, which is what makes
// big tables slow), and it is taken back as text when a conversion needs
// characters no Writer document can hold. The selection and the window, once
// the document has one, live with it.
#pragma once

#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <optional>
#include <string>

#include "word/writer/text_document.h"
#include "word/writer/uno/office_connection.h"

namespace gs::writer {

class DocumentContent {
 public:
  // A document read from a text file (filter kTextFormat), or the text of a
  // document file this program wrote itself (path, in the office filter).
  DocumentContent(OfficeConnection& office, TextDocument text, std::string path, std::string filter);
  // A document loaded into the office from path with filter.
  DocumentContent(OfficeConnection& office, Reference<css::text::XTextDocument> model, std::string path,
                  std::string filter);
  ~DocumentContent();
  DocumentContent(const DocumentContent&) = delete;
  DocumentContent& operator=(const DocumentContent&) = delete;

  OfficeConnection& Office() const noexcept { return office_; }
  // The text while the document lives in this program; nullptr in the office.
  TextDocument* Text() noexcept { return text_ ? &*text_ : nullptr; }
  // The model once the document is in the office.
  const Reference<css::text::XTextDocument>& Model() const noexcept { return model_; }

  // Hands the document to the office, with its selection and orientation:
  // the file itself when the text is an unchanged copy of it, a Flat ODT of
  // the text otherwise. Nothing to do when it is there already.
  void HandToOffice();
  // Takes the document back from the office as text; refused while it has a
  // window. Nothing to do when it is here already.
  void TakeFromOffice();

  // The selection in the office: the view cursor while the document has a
  // window, a cursor of its own before.
  Reference<css::text::XTextCursor> Cursor();
  void SetCursor(Reference<css::text::XTextCursor> cursor) { cursor_ = std::move(cursor); }
  // Without a window, a cursor of its own afresh at the start.
  void ResetCursor();
  // The window's controller; empty while the document has none.
  const Reference<css::frame::XController>& Controller() const noexcept { return controller_; }
  void SetController(Reference<css::frame::XController> controller) { controller_ = std::move(controller); }

  // Where it was read or last saved ("" when never saved), and how it is
  // saved there: kTextFormat or an office filter.
  const std::string& Path() const noexcept { return path_; }
  const std::string& Filter() const noexcept { return filter_; }
  void SetFile(std::string path, std::string filter);

  // Whether the user closed it in the office.
  bool Closed();
  bool Modified();
  // Leaves it unmodified, so that closing it asks nothing.
  void MarkSaved();
  void Close() noexcept;
  // Lets go of the document without closing it.
  void Release() noexcept;

 private:
  OfficeConnection& office_;
  std::optional<TextDocument> text_;
  Reference<css::text::XTextDocument> model_;
  // The selection while the document has no window; the view cursor after.
  Reference<css::text::XTextCursor> cursor_;
  Reference<css::frame::XController> controller_;
  std::string path_;
  std::string filter_;
};

}  // namespace gs::writer
