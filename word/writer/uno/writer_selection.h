// The Selection of a Writer document: Word's selection members over the
// document wherever it lives (the application's Selection forwards here).
#pragma once

#include <cstdint>
#include <string>

#include "word/writer/uno/document_content.h"

namespace gs::writer {

class WriterSelection {
 public:
  explicit WriterSelection(DocumentContent& content) : content_(content) {}

  void WholeStory();
  // Only a document opened as text is converted (in this program).
  void ConvertToTable(const std::string& separator);
  void Collapse(int32_t direction);
  int32_t Information(int32_t type);
  void EndKey(int32_t unit);
  void TypeBackspace();
  // Only a table column selected before the document went to the office is
  // marked (in this program; the office gets it with the document).
  void SetLanguageID(int32_t language);

 private:
  DocumentContent& content_;
};

}  // namespace gs::writer
