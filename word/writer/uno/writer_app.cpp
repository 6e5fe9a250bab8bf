#include "word/writer/uno/writer_app.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "common/file.h"
#include "word/writer/file_url.h"
#include "word/writer/text_file.h"
#include "word/writer/uno/office_document.h"
#include "word/writer/uno/writer_document.h"
#include "word/writer/word_error.h"

namespace gs::writer {

namespace {

class WriterApp final : public WordApp, public WordDocuments, public WordSelection {
 public:
  WriterApp(std::unique_ptr<OfficeConnection> office, std::shared_ptr<WrittenDocuments> written)
      : office_(std::move(office)), written_(std::move(written)) {}
  ~WriterApp() override {
    // Shown documents are the user's: they stay open in the office, which
    // outlives this object.
    if (visible_) {
      for (auto& d : documents_) d->Content().Release();
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
    if (visible && office_->Headless()) {
      RaiseWordError(wderr::NotAvailable,
                     "the word processor runs without a display and cannot show a window");
    }
    for (auto& d : documents_) {
      if (d->Content().Closed()) continue;
      d->Window().Show(visible);
      if (visible && windowState_) d->Window().SetWindowState(*windowState_);
    }
    visible_ = visible;
    // A word processor that shows a document holds the user's work: it stays
    // when this program ends, as Word does. Without one it would stay unseen.
    office_->SetDetached(visible && !documents_.empty());
  }

  void SetWindowState(int32_t state) override {
    CheckRunning("WindowState");
    if (state != wd::WindowStateMaximize) {
      RaiseWordError(wderr::ValueOutOfRange, "window state " + std::to_string(state));
    }
    windowState_ = state;
    if (!visible_) return;
    for (auto& d : documents_) {
      if (!d->Content().Closed()) d->Window().SetWindowState(state);
    }
  }

  void Quit(bool saveChanges) override {
    CheckRunning("Quit");
    // Documents the user closed in the office are gone, as in Word.
    std::erase_if(documents_, [](const auto& d) { return d->Content().Closed(); });
    if (saveChanges) {
      for (auto& d : documents_) d->SaveInOwnFormat();
    }
    // Nothing is left to ask about, so the office ends without a dialog.
    for (auto& d : documents_) d->Content().MarkSaved();
    documents_.clear();
    office_->SetDetached(false);
    office_->Terminate();
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
      if ((*d)->Content().Path() != path || (*d)->Content().Closed()) continue;
      std::rotate(d, d + 1, documents_.end());
      return *documents_.back();
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) RaiseWordError(wderr::FileNotFound, path);
    if (encoding.value_or(wd::EncodingUTF8) != wd::EncodingUTF8) {
      RaiseWordError(wderr::ValueOutOfRange,
                     "encoding " + std::to_string(*encoding) + " (only 65001, UTF-8)");
    }
    if (format && *format != wd::OpenFormatEncodedText) {
      RaiseWordError(wderr::ValueOutOfRange, "format " + std::to_string(*format));
    }
    const std::string filter = format ? kTextFormat : DetectFilter(*office_, path);
    std::unique_ptr<WriterDocument> document;
    if (filter == kTextFormat) {
      // The office's text import turns control characters (the NUL
      // separators among them) into '#': the text is read here.
      document = std::make_unique<WriterDocument>(*office_, *written_, ReadTextDocument(path), path);
    } else if (auto written = written_->Recall(path)) {
      document = std::make_unique<WriterDocument>(*office_, *written_, std::move(*written), path, filter);
    } else {
      office_->ClearStaleLock(path);
      document = std::make_unique<WriterDocument>(*office_, *written_, LoadDocument(*office_, path, filter),
                                                  path, filter);
    }
    documents_.push_back(std::move(document));
    WriterDocument& opened = *documents_.back();
    if (visible_) {
      opened.Window().Show(true);
      if (windowState_) opened.Window().SetWindowState(*windowState_);
      office_->SetDetached(true);
    }
    return opened;
  }

  // --- Selection
  void WholeStory() override { Active("Selection.WholeStory").Selection().WholeStory(); }
  void ConvertToTable(const std::string& separator) override {
    Active("Selection.ConvertToTable").Selection().ConvertToTable(separator);
  }
  void Collapse(int32_t direction) override { Active("Selection.Collapse").Selection().Collapse(direction); }
  int32_t Information(int32_t type) override {
    return Active("Selection.Information").Selection().Information(type);
  }
  void EndKey(int32_t unit) override { Active("Selection.EndKey").Selection().EndKey(unit); }
  void TypeBackspace() override { Active("Selection.TypeBackspace").Selection().TypeBackspace(); }
  void SetLanguageID(int32_t language) override {
    Active("Selection.LanguageID").Selection().SetLanguageID(language);
  }

 private:
  void CheckRunning(std::string_view member) {
    if (quit_ || !office_->Connected()) office_->RaiseGone(member);
  }

  WriterDocument& Active(std::string_view member) {
    CheckRunning(member);
    // The active document is the last one opened that the user has not closed.
    for (auto d = documents_.rbegin(); d != documents_.rend(); ++d) {
      if (!visible_ || !(*d)->Content().Closed()) return **d;
    }
    RaiseWordError(wderr::NoDocumentOpen, member);
  }

  std::unique_ptr<OfficeConnection> office_;
  std::shared_ptr<WrittenDocuments> written_;
  std::vector<std::unique_ptr<WriterDocument>> documents_;
  bool visible_ = false;
  std::optional<int32_t> windowState_;
  bool quit_ = false;
};

}  // namespace

std::unique_ptr<WordApp> MakeWriterApp(std::unique_ptr<OfficeConnection> office,
                                       std::shared_ptr<WrittenDocuments> written) {
  return std::make_unique<WriterApp>(std::move(office), std::move(written));
}

}  // namespace gs::writer
