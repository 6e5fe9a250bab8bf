// WordApp on LibreOffice Writer: the application, its Documents collection
// and its Selection; the plugin's entry points.
#include <algorithm>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <filesystem>
#include <memory>
#include <vector>

#include "common/file.h"
#include "word/writer/file_url.h"
#include "word/writer/text_file.h"
#include "word/writer/uno/office_connection.h"
#include "word/writer/uno/writer_document.h"
#include "word/writer/word_error.h"
#include "tests/word/probe/writer_probe.h"
#include "word/writer/written_documents.h"

namespace gs::writer {

namespace {

using css::uno::Any;

constexpr std::string_view kCompoundFileMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool StartsWith(const std::string& path, std::string_view magic) {
  try {
    File file(path, File::Mode::Read);
    std::string head(magic.size(), '\0');
    return file.ReadAt(0, head.data(), head.size()) == head.size() && head == magic;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace

class WriterApp final : public WordApp, public WordDocuments, public WordSelection, public WriterProbe {
 public:
  explicit WriterApp(const WordAppOptions& options) : office_(options) {}
  ~WriterApp() override {
    // Shown documents are the user's: they stay open in the office, which
    // outlives this object.
    if (visible_) {
      for (auto& d : documents_) d->Release();
    }
    documents_.clear();
  }

  // --- Application
  WordDocuments& Documents() override {
    CheckRunning("Documents");
    return *this;
  }
  WordDocument& ActiveDocument() override { return Active("ActiveDocument"); }
  WordSelection& Selection() override {
    Active("Selection");
    return *this;
  }

  void SetVisible(bool visible) override {
    CheckRunning("Visible");
    if (visible && office_.Headless()) {
      RaiseWordError(wderr::NotAvailable,
                     "the word processor runs without a display and cannot show a window");
    }
    for (auto& d : documents_) {
      if (d->Closed()) continue;
      d->Show(visible);
      if (visible && windowState_) d->SetWindowState(*windowState_);
    }
    visible_ = visible;
    // A word processor that shows a document holds the user's work: it stays
    // when this program ends, as Word does. Without one it would stay unseen.
    office_.SetDetached(visible && !documents_.empty());
  }

  void SetWindowState(int32_t state) override {
    CheckRunning("WindowState");
    if (state < wd::WindowStateNormal || state > wd::WindowStateMinimize) {
      RaiseWordError(wderr::ValueOutOfRange, "window state " + std::to_string(state));
    }
    windowState_ = state;
    if (!visible_) return;
    for (auto& d : documents_) {
      if (!d->Closed()) d->SetWindowState(state);
    }
  }

  void Quit(std::optional<bool> saveChanges) override {
    CheckRunning("Quit");
    // Documents the user closed in the office are gone, as in Word.
    std::erase_if(documents_, [](const auto& d) { return d->Closed(); });
    for (auto& d : documents_) {
      if (saveChanges == true) {
        d->SaveInOwnFormat();
      } else if (!saveChanges && d->Modified()) {
        RaiseWordError(wderr::CommandFailed,
                       "Quit: a document has unsaved changes (quit with SaveChanges true or false)");
      }
    }
    // Nothing is left to ask about, so the office ends without a dialog.
    for (auto& d : documents_) d->MarkSaved();
    documents_.clear();
    office_.SetDetached(false);
    office_.Terminate();
    quit_ = true;
  }

  // --- Documents
  // Writer asks nothing while it opens a file: the arguments that keep Word's
  // questions away have nothing to do here.
  WordDocument& Open(const std::string& fileName, std::optional<int32_t> format,
                     std::optional<int32_t> encoding, std::optional<bool> /*confirmConversions*/,
                     std::optional<bool> /*addToRecentFiles*/,
                     std::optional<bool> /*noEncodingDialog*/) override {
    CheckRunning("Documents.Open");
    const std::string path = AbsolutePath(fileName);
    // A document already open becomes the active one again, as in Word.
    for (auto d = documents_.begin(); d != documents_.end(); ++d) {
      if ((*d)->Path() != path || (*d)->Closed()) continue;
      std::rotate(d, d + 1, documents_.end());
      return *documents_.back();
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) RaiseWordError(wderr::FileNotFound, path);
    if (encoding.value_or(wd::EncodingUTF8) != wd::EncodingUTF8) {
      RaiseWordError(wderr::ValueOutOfRange,
                     "encoding " + std::to_string(*encoding) + " (only 65001, UTF-8)");
    }
    std::string filter;
    switch (format.value_or(wd::OpenFormatAuto)) {
      case wd::OpenFormatAuto: filter = DetectFilter(path); break;
      case wd::OpenFormatDocument: filter = kWord97Filter; break;
      case wd::OpenFormatText:
      case wd::OpenFormatEncodedText: filter = kTextFormat; break;
      default: RaiseWordError(wderr::ValueOutOfRange, "format " + std::to_string(*format));
    }
    std::unique_ptr<WriterDocument> document;
    if (filter == kTextFormat) {
      // The office's text import turns control characters (the NUL
      // separators among them) into '#': the text is read here.
      document = std::make_unique<WriterDocument>(office_, ReadTextDocument(path), path);
    } else {
      if (auto written = WrittenDocuments::Instance().Recall(path)) {
        document = std::make_unique<WriterDocument>(office_, std::move(*written), path, filter);
      } else {
        office_.ClearStaleLock(path);
        document = std::make_unique<WriterDocument>(office_, WriterDocument::Load(office_, path, filter),
                                                    path, filter);
      }
    }
    documents_.push_back(std::move(document));
    WriterDocument& opened = *documents_.back();
    if (visible_) {
      opened.Show(true);
      if (windowState_) opened.SetWindowState(*windowState_);
      office_.SetDetached(true);
    }
    return opened;
  }

  // --- Selection
  void WholeStory() override { Active("Selection.WholeStory").WholeStory(); }
  void ConvertToTable(const std::string& separator) override {
    Active("Selection.ConvertToTable").ConvertToTable(separator);
  }
  void Collapse(int32_t direction) override { Active("Selection.Collapse").Collapse(direction); }
  int32_t Information(int32_t type) override { return Active("Selection.Information").Information(type); }
  void EndKey(int32_t unit) override { Active("Selection.EndKey").EndKey(unit); }
  void TypeBackspace() override { Active("Selection.TypeBackspace").TypeBackspace(); }

  // --- WriterProbe
  int OfficePid() override { return office_.Pid(); }
  bool Headless() override { return office_.Headless(); }
  int32_t TableCount() override { return Active("probe").TableCount(); }
  int32_t TableRows(int32_t table) override { return Active("probe").TableRows(table); }
  int32_t TableColumns(int32_t table) override { return Active("probe").TableColumns(table); }
  std::string CellText(int32_t table, const std::string& cell) override {
    return Active("probe").CellText(table, cell);
  }
  void SetCellText(int32_t table, const std::string& cell, const std::string& text) override {
    Active("probe").SetCellText(table, cell, text);
  }
  PageSize Page() override { return Active("probe").Page(); }
  bool WindowVisible() override { return Active("probe").WindowVisible(); }
  bool WindowMaximized() override { return Active("probe").WindowMaximized(); }
  void CloseWindow() override { Active("probe").CloseWindow(); }
  void LoadAndStore(const std::string& source, const std::string& target) override {
    CheckRunning("probe");
    const std::string filter = DetectFilter(source);
    const auto model = WriterDocument::Load(office_, source, filter);
    office_.Call("load and store", CallLength::Long, [&] {
      Reference<css::frame::XStorable>(model, UNO_QUERY_THROW)
          ->storeToURL(ToOUString(FileUrl(AbsolutePath(target))),
                       Properties({Property("FilterName", Any(ToOUString(filter))),
                                   Property("Overwrite", Any(true))}));
      Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
    });
  }

 private:
  void CheckRunning(std::string_view member) {
    if (quit_ || !office_.Connected()) office_.RaiseGone(member);
  }

  WriterDocument& Active(std::string_view member) {
    CheckRunning(member);
    // The active document is the last one opened that the user has not closed.
    for (auto d = documents_.rbegin(); d != documents_.rend(); ++d) {
      if (!visible_ || !(*d)->Closed()) return **d;
    }
    RaiseWordError(wderr::NoDocumentOpen, member);
  }

  // The office filter that opens a file; kTextFormat for text files, which
  // are read here.
  std::string DetectFilter(const std::string& path) {
    if (StartsWith(path, kCompoundFileMagic)) return kWord97Filter;
    return office_.Call("Documents.Open " + path, CallLength::Short, [&] {
      const Reference<css::document::XTypeDetection> detection(
          office_.CreateInstance("com.sun.star.document.TypeDetection"), UNO_QUERY_THROW);
      const OUString type = detection->queryTypeByURL(ToOUString(FileUrl(path)));
      if (type.isEmpty())
        RaiseWordError(wderr::CommandFailed, "Documents.Open: Writer does not know the file " + path);
      if (type == "generic_Text") return std::string(kTextFormat);
      css::uno::Sequence<css::beans::PropertyValue> properties;
      Reference<css::container::XNameAccess>(detection, UNO_QUERY_THROW)->getByName(type) >>= properties;
      for (sal_Int32 i = 0; i < properties.getLength(); ++i) {
        OUString filter;
        if (properties[i].Name == "PreferredFilter" && (properties[i].Value >>= filter) &&
            !filter.isEmpty()) {
          return ToUtf8(filter);
        }
      }
      RaiseWordError(wderr::CommandFailed, "Documents.Open: Writer has no filter for the file " + path);
    });
  }

  OfficeConnection office_;
  std::vector<std::unique_ptr<WriterDocument>> documents_;
  bool visible_ = false;
  std::optional<int32_t> windowState_;
  bool quit_ = false;
};

}  // namespace gs::writer

extern "C" __attribute__((visibility("default"))) gs::WordApp* glossmith_create_writer_app(
    const gs::WordAppOptions* options) {
  return new gs::writer::WriterApp(options != nullptr ? *options : gs::WordAppOptions{});
}

extern "C" __attribute__((visibility("default"))) gs::writer::WriterProbe* glossmith_writer_probe(
    gs::WordApp* app) {
  return dynamic_cast<gs::writer::WriterApp*>(app);
}
