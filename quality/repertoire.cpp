#include "quality/repertoire.h"

#include "common/utf8.h"
#include "quality/entry_lines.h"
#include "archive/bigf.h"

namespace gs {

Repertoire::Repertoire() : bits_(kCharacters / 64) {}

void Repertoire::AddText(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<uint8_t>(text[i]);
    if (byte < 0x80) {  // ASCII needs no decoding
      if (byte >= 0x20) Set(byte);
      ++i;
      continue;
    }
    const char32_t c = DecodeUtf8(text, i);
    if (c != kInvalidCodePoint) Set(c);
  }
}

void Repertoire::AddTable(std::span<const uint8_t> table, std::string_view currentFileName, KtLibrary& kt) {
  // The table beside itself: each entry's text once on either side.
  ForEachEntry(table, table, currentFileName, kt, [this](const EntryLine& line) { AddText(line.Work); });
}

void Repertoire::AddTables(const ConversionFiles& files, std::string_view currentFileName, KtLibrary& kt) {
  ConversionFiles tables = files;
  tables.TextFilePath.clear();
  ForEachEntry(tables, currentFileName, kt, [this](const EntryLine& line) {
    AddText(line.Work);
    AddText(line.English);
  });
}

std::vector<std::string> Repertoire::AddGameTables(const std::string& gameArchivePath, FileKind kind,
                                                   KtLibrary& kt) {
  const bigf::Reader reader(gameArchivePath);
  const std::string_view type = kFileTypes[static_cast<size_t>(kind)];
  std::vector<std::string> missing;
  for (const std::string_view language : kLanguages) {
    const std::string name = CurrentFileName(type, language);
    const bigf::Entry* entry = reader.GetIndex().Find(name);
    if (entry == nullptr) {
      missing.push_back(name);
    } else {
      AddTable(reader.Read(*entry), name, kt);
    }
  }
  return missing;
}

}  // namespace gs
