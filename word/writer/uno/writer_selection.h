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

 private:
  DocumentContent& content_;
};

}  // namespace gs::writer
