// The characters the game's fonts are known to show: every character of the
// tables the game holds, as the export shows them (edit form).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog.h"
#include "formats/format_state.h"
#include "formats/kt_library.h"

namespace gs {

class Repertoire {
 public:
  Repertoire();

  // Every well-formed character of edit-form text; control bytes and bytes
  // that are not UTF-8 are left out.
  void AddText(std::string_view text);
  // Every character of a table (string table or e-mail data, by its current
  // file name), read with the codec its name selects.
  void AddTable(std::span<const uint8_t> table, std::string_view currentFileName, KtLibrary& kt);
  // Every character of the work table and the English template copy of
  // files, read as the export of currentFileName reads them.
  void AddTables(const ConversionFiles& files, std::string_view currentFileName, KtLibrary& kt);
  // Every character of the game's own tables of a kind, every language, read
  // from its game archive as the game holds them now. Returns the names of
  // the tables the archive lacks.
  std::vector<std::string> AddGameTables(const std::string& gameArchivePath, FileKind kind, KtLibrary& kt);

  bool Holds(char32_t c) const noexcept { return c < kCharacters && (bits_[c / 64] >> (c % 64) & 1) != 0; }

 private:
  static constexpr char32_t kCharacters = 0x110000;
  void Set(char32_t c) noexcept { bits_[c / 64] |= uint64_t{1} << (c % 64); }

  std::vector<uint64_t> bits_;
};

}  // namespace gs
