// The window of a Writer document: made when the document is first shown,
// its state, and its closing before a save (Writer stores a document with a
// window only after laying all of it out).
#pragma once

#include <cstdint>

#include "word/writer/uno/document_content.h"

namespace gs::writer {

class DocumentWindow {
 public:
  explicit DocumentWindow(DocumentContent& content) : content_(content) {}

  // Shows or hides the document's window (made, in the office, on first
  // showing).
  void Show(bool visible);
  // wd::WindowStateMaximize; nothing while the document has no window.
  void SetWindowState(int32_t state);
  // Whether the document has a window.
  bool Shown() const { return content_.Controller().is(); }
  // Closes the window, keeping the document open in the office.
  void Drop();

 private:
  DocumentContent& content_;
};

}  // namespace gs::writer
