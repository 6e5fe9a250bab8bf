// The PageSetup of a Writer document.
#pragma once

#include "word/word_app.h"
#include "word/writer/uno/document_content.h"

namespace gs::writer {

class WriterPageSetup final : public WordPageSetup {
 public:
  explicit WriterPageSetup(DocumentContent& content) : content_(content) {}
  void SetOrientation(int32_t orientation) override;

 private:
  DocumentContent& content_;
};

}  // namespace gs::writer
