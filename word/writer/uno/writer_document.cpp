#include "word/writer/uno/writer_document.h"

#include <com/sun/star/frame/XStorable.hpp>

#include "common/file.h"
#include "common/fs.h"
#include "word/writer/document_lock.h"
#include "word/writer/file_url.h"
#include "word/writer/text_file.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

using css::uno::Any;

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

}  // namespace

WriterDocument::WriterDocument(OfficeConnection& office, WrittenDocuments& written, TextDocument text,
                               std::string path, std::string filter)
    : written_(written), content_(office, std::move(text), std::move(path), std::move(filter)) {}

WriterDocument::WriterDocument(OfficeConnection& office, WrittenDocuments& written,
                               Reference<css::text::XTextDocument> model, std::string path,
                               std::string filter)
    : written_(written), content_(office, std::move(model), std::move(path), std::move(filter)) {}

void WriterDocument::SaveAs(const std::string& fileName, int32_t fileFormat, std::optional<int32_t> encoding,
                            std::optional<bool> /*allowSubstitutions*/) {
  const std::string path = AbsolutePath(fileName);
  if (fileFormat == wd::FormatDocument) {
    StoreAs(path, kWord97Filter);
    content_.SetFile(path, kWord97Filter);
  } else if (fileFormat == wd::FormatEncodedText) {
    // UTF-8 can hold every character, so substitutions never arise.
    if (encoding.value_or(wd::EncodingUTF8) != wd::EncodingUTF8) {
      RaiseWordError(wderr::ValueOutOfRange,
                     "encoding " + std::to_string(*encoding) + " (only 65001, UTF-8)");
    }
    WriteText(path);
    content_.SetFile(path, kTextFormat);
  } else {
    RaiseWordError(wderr::ValueOutOfRange, "file format " + std::to_string(fileFormat));
  }
}

void WriterDocument::SaveInOwnFormat() {
  if (!content_.Modified()) return;
  if (content_.Path().empty())
    RaiseWordError(wderr::CommandFailed, "the document was never saved and has no file name");
  // Writer stores a document with a window only after laying all of it out,
  // which takes minutes for a big table; without its window it stores at once.
  const bool shown = window_.Shown();
  window_.Drop();
  try {
    if (content_.Filter() == kTextFormat) {
      WriteText(content_.Path());
    } else {
      StoreAs(content_.Path(), content_.Filter());
    }
  } catch (const Error&) {
    // Not saved: the user gets the document back to save it.
    if (shown) {
      try {
        window_.Show(true);
      } catch (const Error&) {
      }
    }
    throw;
  }
  content_.MarkSaved();
}

void WriterDocument::StoreAs(const std::string& path, const std::string& filter) {
  std::optional<TextDocument> written;
  if (const TextDocument* text = content_.Text()) written = *text;
  content_.HandToOffice();
  OfficeConnection& office = content_.Office();
  // A document's own lock is live; any other of ours beside the target is stale.
  if (path != content_.Path()) office.ClearStaleLock(path);
  office.Call("SaveAs " + path, CallLength::Long, [&] {
    const Reference<css::frame::XStorable> storable(content_.Model(), UNO_QUERY_THROW);
    if (path == content_.Path() && storable->isReadonly()) {
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
    if (!written) {
      written.emplace(ReadBody(office, content_.Model()));
      written->SetLandscape(office.Call("PageSetup.Orientation", CallLength::Short,
                                        [&] { return IsLandscape(PageStyleOf(content_.Model())); }));
    }
    written_.Remember(path, *written);
  } catch (const Error&) {
    written_.Forget();
  }
}

void WriterDocument::WriteText(const std::string& path) {
  if (TextDocument* text = content_.Text()) {
    WriteTextDocument(path, text->Lines());
    text->SetModified(false);
    return;
  }
  WriteTextDocument(path, TextDocument(ReadBody(content_.Office(), content_.Model())).Lines());
  content_.MarkSaved();
}

}  // namespace gs::writer
