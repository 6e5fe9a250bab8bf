// How far the translation of a table is: the entries whose text differs from
// the English one, out of all, and the same weighted by the characters of
// their English text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/format_state.h"
#include "formats/kt_library.h"
#include "quality/entry_lines.h"

namespace gs {

struct Progress {
  uint64_t Entries = 0;
  uint64_t TranslatedEntries = 0;     // text differs from the English one
  uint64_t EnglishCharacters = 0;     // code points of all English texts
  uint64_t TranslatedCharacters = 0;  // code points of the English texts of translated entries

  void Add(const EntryLine& line) noexcept;
};

// The progress of the work table of files against its English template copy
// (or of the edited text, when files names one; see ForEachEntry).
Progress ProgressOf(const ConversionFiles& files, std::string_view currentFileName, KtLibrary& kt);

// "translated 367 of 400 entries (91.8 %)"
std::string EntriesLine(const Progress& progress);
// "translated 9120 of 10230 characters of English text (89.1 %)"
std::string CharactersLine(const Progress& progress);

}  // namespace gs
