// The entries of a work table beside its English template copy, one line of
// the text file at a time, as the export writes them: the work text and the
// English text of each line in edit form. With an edited text file, the work
// texts are that file's, read as the import reads them, while the English
// texts still come from the template copy. The lines pass through a block of
// the export at a time; no whole text is built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "formats/format_state.h"
#include "formats/kt_library.h"

namespace gs {

struct EntryLine {
  size_t Number = 0;         // the line in the text file, from 1 (e-mail headings count)
  std::string_view Work;     // the selected language's text
  std::string_view English;  // the English text of the same place
};

using EntryVisitor = std::function<void(const EntryLine&)>;

// The lines of the work table and the English template copy of files, read
// as the export reads them (its errors included). When files.TextFilePath is
// not empty, it names an edited text whose lines give the work texts: after
// a byte-order mark when there is one, each line's text up to its separator.
// Error 7777 naming the text when a line holds no separator or the text has
// not one line per entry; empty lines at its end are left out.
void ForEachEntry(const ConversionFiles& files, std::string_view currentFileName, KtLibrary& kt,
                  const EntryVisitor& visit);

// The lines of two tables held in memory, as the export writes them.
void ForEachEntry(std::span<const uint8_t> work, std::span<const uint8_t> english,
                  std::string_view currentFileName, KtLibrary& kt, const EntryVisitor& visit);

// The number of code points of UTF-8 text: every byte that is not a
// continuation byte counts.
size_t CountCodePoints(std::string_view text) noexcept;

}  // namespace gs
