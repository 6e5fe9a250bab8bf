// Windows: the word processor is Microsoft Word itself, through COM (com/).
#include "word/com/word_app_win32.h"

namespace gs {

WordAppFactory WordApps(const WordAppOptions& options) {
  return [options] { return CreateWordApp(kWordApplicationClass, options); };
}

}  // namespace gs
