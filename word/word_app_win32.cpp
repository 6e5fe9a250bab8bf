// Windows: the word processor is Microsoft Word itself, through COM (com/).
#include "word/com/word_app_win32.h"

namespace gs {

std::unique_ptr<WordApp> CreateWordApp(const WordAppOptions& options) {
  return CreateWordApp(kWordApplicationClass, options);
}

}  // namespace gs
