// Deterministic sample tables in the game's layouts: string tables of both
// types and e-mail data files for every language, with realistic texts (menu
// lines, line feeds and tabs inside strings, Latin letters À to ÿ, Russian in
// the French files, empty strings, strings shared by several entries). The
// tables of one size and seed match across languages: the same count, the
// same entry table, the same string count in every e-mail record. The
// English tables double as the English templates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "common/file.h"

namespace gs {

// A string table of kind Front or Game for a language of the language list
// ("French(Russian)" holds Russian); a language outside the list gets the
// English texts. entries must be at least 1.
Bytes MakeStringTable(FileKind kind, std::string_view language, int entries, uint32_t seed);

// An e-mail data file for a language of the language list. records may be 0.
Bytes MakeEmailData(std::string_view language, int records, uint32_t seed);

// Edit-form UTF-8 in the stored form of a kind: each Cyrillic letter А to я,
// Ё, ё at the code point of its Windows-1251 code (moved by 0x100 for Game),
// UTF-8 encoded; every other byte as it is.
Bytes StoredForm(std::string_view editForm, FileKind kind);

struct SampleSizes {
  int Entries = 3000;  // per string table
  int Records = 300;   // per e-mail data file
  uint32_t Seed = 2006;
};

// Writes the tables of every type and language into folder under the names
// the catalog gives (FrontEnglish.bin ... emaildataCzech.dta) and the English
// templates under their template names; returns the paths written.
std::vector<std::string> WriteSampleTables(const std::string& folder, const SampleSizes& sizes);

}  // namespace gs
