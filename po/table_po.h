// A table of the game as the messages of a PO file, and back. The messages
// are the lines of the text file that the export writes for the word
// processor: each line's English text is the msgid and the language's text
// the msgstr, both in edit form (control bytes shown as "@"), so that which
// text is which is decided once, by the text file's conversions, for both
// directions.
//
// Every message has a msgctxt that names its place in the table and stays
// the same from one export to the next:
//   string tables  "entry 17 (0A3F21C4)": the entry, counted from 1, and its
//                  value in the entry table, in hex
//   e-mail data    "record 3, heading" and "record 3, string 2", counted from 1
// and a reference comment to its line in the text file ("FrontFrench.bin.txt:17").
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/file.h"
#include "formats/kt_library.h"
#include "po/po_file.h"

namespace gs {

// A language's table and its English template, as the export reads them.
struct TablePair {
  std::string CurrentFileName;       // the table's name in the game; gives its kind and codec
  std::span<const uint8_t> Work;     // the language's table
  std::span<const uint8_t> English;  // its English template
};

// The language code of a language of the list: "ru" for "French(Russian)",
// "de", "sv", "fi", "cs", "en"; empty for any other text.
std::string_view LanguageCode(std::string_view language);

// The PO file of a table: the header (with the language's code and the
// charset UTF-8) and one message per line of the text file. A language's
// text equal to the English one gives an empty msgstr (untranslated), and so
// does an empty one; emptyTexts receives how many lines have an empty
// language's text beside a non-empty English one, which come back as the
// English text (see TableFromPo). The tables are checked as the export
// checks them.
PoCatalog TableToPo(const TablePair& tables, std::string_view language, KtLibrary& kt, size_t& emptyTexts);

// The language's table rebuilt from a PO file (read from poPath), as the
// import rebuilds it from the text file. An empty or fuzzy msgstr gives the
// English text. The PO file must match the tables: every line present once
// (by msgctxt), its msgid equal to the current English text, no plural form,
// and a Language header, where there is one, of language. Anything else is
// refused with error 7777 naming poPath and the first offending message.
Bytes TableFromPo(const TablePair& tables, std::string_view language, const PoCatalog& po,
                  const std::string& poPath, KtLibrary& kt);

}  // namespace gs
