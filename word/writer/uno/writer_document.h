// One open document of the Writer application: Word's Document with its
// PageSetup and Tables, its Selection and window, and its saving in the
// formats the steps ask for. Where the document lives (in this program or in
// the office) is its content's business (document_content.h).
#pragma once

#include <optional>
#include <string>

#include "word/word_app.h"
#include "word/writer/uno/document_content.h"
#include "word/writer/uno/document_window.h"
#include "word/writer/uno/office_document.h"
#include "word/writer/uno/writer_page_setup.h"
#include "word/writer/uno/writer_selection.h"
#include "word/writer/uno/writer_tables.h"
#include "word/writer/written_documents.h"

namespace gs::writer {

class WriterDocument final : public WordDocument {
 public:
  // A document read from a text file (path, kTextFormat), or the text of a
  // document file this program wrote itself (path, in the office filter).
  // written remembers what the document saves as a document file.
  WriterDocument(OfficeConnection& office, WrittenDocuments& written, TextDocument text, std::string path,
                 std::string filter = kTextFormat);
  // A document loaded into the office from path with filter.
  WriterDocument(OfficeConnection& office, WrittenDocuments& written,
                 Reference<css::text::XTextDocument> model, std::string path, std::string filter);

  // WordDocument
  WordPageSetup& PageSetup() override { return page_; }
  WordTables& Tables() override { return tables_; }
  void SaveAs(const std::string& fileName, int32_t fileFormat, std::optional<int32_t> encoding,
              std::optional<bool> allowSubstitutions) override;

  DocumentContent& Content() noexcept { return content_; }
  WriterSelection& Selection() noexcept { return selection_; }
  DocumentWindow& Window() noexcept { return window_; }
  // Saves the document where and as it was last saved (Quit with
  // SaveChanges), when it has changes.
  void SaveInOwnFormat();

 private:
  void StoreAs(const std::string& path, const std::string& filter);
  void WriteText(const std::string& path);

  WrittenDocuments& written_;
  DocumentContent content_;
  WriterPageSetup page_{content_};
  WriterTables tables_{content_};
  WriterSelection selection_{content_};
  DocumentWindow window_{content_};
};

}  // namespace gs::writer
