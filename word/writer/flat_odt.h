// A text document as a Flat OpenDocument text (.fodt), the fastest way to
// hand a big table to Writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "word/writer/text_document.h"

namespace gs::writer {

// A language as ODF and the office name it: "ru" and "RU" for Russian.
struct OdfLanguage {
  std::string_view language;
  std::string_view country;
};
// The language of a WdLanguageID that the steps pass (wd::Russian, ...);
// none for any other.
std::optional<OdfLanguage> OdfLanguageOf(int32_t languageId);

// The document's paragraphs and tables as a Flat ODT document. Every
// character is kept exactly (runs of blanks, tabs, line breaks included).
// Characters that a Writer document cannot hold (control characters other
// than tab and line break, U+FFFE, U+FFFF) are refused with an error naming
// where they are, never dropped. The paragraphs of a table column marked
// with a language carry it (fo:language, fo:country).
std::string FlatOdt(const TextDocument& document);

}  // namespace gs::writer
