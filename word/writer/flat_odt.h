// A text document as a Flat OpenDocument text (.fodt), the fastest way to
// hand a big table to Writer.
#pragma once

#include <string>

#include "word/writer/text_document.h"

namespace gs::writer {

// The document's paragraphs and tables as a Flat ODT document. Every
// character is kept exactly (runs of blanks, tabs, line breaks included).
// Characters that a Writer document cannot hold (control characters other
// than tab and line break, U+FFFE, U+FFFF) are refused with an error naming
// where they are, never dropped.
std::string FlatOdt(const TextDocument& document);

}  // namespace gs::writer
