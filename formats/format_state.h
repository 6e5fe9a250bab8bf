// What the conversions share: the three files of one conversion and the data
// that an export keeps in memory for the import of the same run.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/file.h"
#include "common/fs.h"

namespace gs {

// The files of one conversion.
struct ConversionFiles {
  std::string WorkTablePath;     // the table of the selected language
  std::string TemplateCopyPath;  // its English template copy
  std::string TextFilePath;      // the text file exchanged with the word processor

  // The names that errors give the two tables, so that a damaged English
  // template is told from a damaged work table: their file names.
  std::string WorkTableName() const { return WorkTablePath.substr(DirectoryOf(WorkTablePath).size()); }
  std::string TemplateName() const { return TemplateCopyPath.substr(DirectoryOf(TemplateCopyPath).size()); }
};

// One record of an e-mail data file.
struct EmailRecord {
  std::array<int32_t, 5> Values{};  // Values[2] is the record's string count
  Bytes Tag;                        // carried over byte for byte, its zero byte included
  Bytes Heading;                    // edit form after an export, stored form with its zero after an import
  std::vector<int32_t> Offsets;     // one per string, relative to the string area
};

// The data an export keeps for its import. Each export replaces its own part;
// an import needs the export of the same file before it.
struct FormatState {
  // The English template copy's fixed header and entry table.
  Bytes HeaderBlock;
  // The English record count and the records of both e-mail data files.
  int32_t EmailCount = 0;
  std::vector<EmailRecord> EnglishRecords;
  std::vector<EmailRecord> LanguageRecords;
  // The current file names of the last string table and e-mail data exports;
  // empty until the first.
  std::string StringTableExported;
  std::string EmailExported;
};

}  // namespace gs
