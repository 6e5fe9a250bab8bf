#include "formats/string_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "common/error.h"
#include "common/memory.h"
#include "formats/export_lines.h"
#include "formats/format_errors.h"
#include "formats/little_endian.h"
#include "formats/text_lines.h"

namespace gs {

namespace {

constexpr size_t kFixedHeader = 16;
constexpr size_t kCountField = 4;

// Where the string area of a table written under headerBlock begins: after
// the header block and an offset table as long as its entry table. Error 9
// when the header block is not one (16 + 4 x count bytes, count from 1).
size_t StringAreaBase(std::span<const uint8_t> headerBlock) {
  if (headerBlock.size() < kFixedHeader) RaiseRuntime(rt::SubscriptOutOfRange);
  const int32_t count = LoadInt32(headerBlock, kCountField);
  if (count < 1 || headerBlock.size() != kFixedHeader + 4 * static_cast<uint64_t>(count)) {
    RaiseRuntime(rt::SubscriptOutOfRange);
  }
  return static_cast<size_t>(CheckedAdd(headerBlock.size(), CheckedMul(4, count)));
}

// The import's work, in place: table holds base bytes of room for the header
// block and the offset table, followed by the text. Checks the text, fills
// the room, gathers the lines' work parts behind it as the string area and
// encodes them; returns the table's size. A text that fails the check, or
// has another number of lines than the header block's count, is refused
// (error 7777 naming textName) before any of it is taken.
size_t TableFromText(std::span<const uint8_t> headerBlock, std::span<uint8_t> table, size_t base,
                     std::string_view textName, const FieldCodec& codec) {
  const int32_t count = LoadInt32(headerBlock, kCountField);
  const std::span<uint8_t> text = table.subspan(base);
  const EditedText lines = CheckEditedText(text, textName);
  if (lines.Lines != static_cast<size_t>(count)) {
    RaiseLineCount(textName, lines.Lines, std::to_string(count) + " entries of the English table");
  }
  const size_t offsetTable = headerBlock.size();
  // A string's offset, base + its position in the string area, must stay a
  // 32-bit number.
  const size_t lastOffset = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  WorkPartsInPlace parts(text, lines);
  JoinedFields fields;
  for (size_t k = 0; k < lines.Lines; ++k) {
    const std::span<uint8_t> part = parts.Next();
    const auto position = static_cast<size_t>(part.data() - table.data());
    if (position > lastOffset) RaiseRuntime(rt::Overflow);
    fields.Add(part, position - base + part.size());
    StoreInt32(table.data() + offsetTable + 4 * k, static_cast<int32_t>(position));
    parts.SkipToLineEnd();
  }
  std::memcpy(table.data(), headerBlock.data(), headerBlock.size());
  fields.Encode(codec, parts.Area());
  return base + parts.Area().size();
}

// What the import of the same table needs: the English header block.
void KeepHeaderBlock(FormatState& state, const StringTable& english, std::string_view currentFileName) {
  state.HeaderBlock.assign(english.HeaderBlock().begin(), english.HeaderBlock().end());
  state.StringTableExported = currentFileName;
}

}  // namespace

StringTable::StringTable(std::span<const uint8_t> file, std::string_view fileName) : file_(file) {
  if (file.size() < kFixedHeader) RaiseUnknownFormat(fileName);
  count_ = LoadInt32(file, kCountField);
  if (count_ < 1) RaiseUnknownFormat(fileName);
  offsetTable_ = static_cast<size_t>(CheckedAdd(kFixedHeader, CheckedMul(4, count_)));
  if (offsetTable_ + 4 * static_cast<uint64_t>(count_) > file.size()) RaiseUnknownFormat(fileName);
}

int32_t StringTable::OffsetOf(int32_t entry) const {
  const int32_t offset = LoadInt32(file_, offsetTable_ + 4 * static_cast<size_t>(entry));
  // The position the runtime counts from 1 must stay a 32-bit number.
  if (offset == std::numeric_limits<int32_t>::max()) RaiseRuntime(rt::Overflow);
  return offset;
}

void StringTable::Prefetch(int32_t entry) const noexcept {
  if (entry < count_)
    FieldCodec::Prefetch(file_, LoadInt32(file_, offsetTable_ + 4 * static_cast<size_t>(entry)));
}

void StringTableText(const StringTable& work, const StringTable& english, const FieldCodec& codec,
                     TextSink& text) {
  // Entries are read in order but their strings lie anywhere; the strings
  // of the entries a few lines ahead are loaded while these are written.
  constexpr int32_t kAhead = 16;
  ExportLines lines(codec, text);
  for (int32_t j = 0; j < english.Count(); ++j) {
    if (j < english.Count() - kAhead) {
      work.Prefetch(j + kAhead);
      english.Prefetch(j + kAhead);
    }
    if (j < work.Count()) lines.StoredField(work.File(), work.OffsetOf(j));
    lines.Separator();
    lines.StoredField(english.File(), english.OffsetOf(j));
    lines.EndLine();
  }
  lines.Finish();
}

Bytes StringTableFromText(std::span<const uint8_t> headerBlock, std::span<const uint8_t> text,
                          std::string_view textName, const FieldCodec& codec) {
  const size_t base = StringAreaBase(headerBlock);
  Bytes table;
  ReserveLarge(table, base + text.size());
  table.resize(base);
  AppendBytes(table, text);
  table.resize(TableFromText(headerBlock, table, base, textName, codec));
  return table;
}

void ReadStringTableState(FormatState& state, const ConversionFiles& files,
                          std::string_view currentFileName) {
  state.StringTableExported.clear();  // a failed read leaves nothing to import
  FileBytes work, english;
  ReadWholeFile(files.WorkTablePath, work);
  ReadWholeFile(files.TemplateCopyPath, english);
  StringTable(work, files.WorkTableName());  // checked as the export checks it
  KeepHeaderBlock(state, StringTable(english, files.TemplateName()), currentFileName);
}

void StringTableExport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                       KtLibrary& kt) {
  state.StringTableExported.clear();  // a failed export leaves nothing to import
  FileBytes work, english;
  ReadWholeFile(files.WorkTablePath, work);
  ReadWholeFile(files.TemplateCopyPath, english);
  const StringTable workTable(work, files.WorkTableName());
  const StringTable englishTable(english, files.TemplateName());
  TextFileSink text(files.TextFilePath);
  StringTableText(workTable, englishTable, FieldCodec(currentFileName, kt), text);
  text.Commit();
  KeepHeaderBlock(state, englishTable, currentFileName);
}

void StringTableImport(const FormatState& state, const ConversionFiles& files,
                       std::string_view currentFileName, KtLibrary& kt) {
  RequireExportOf(state.StringTableExported, currentFileName, "string table");
  // The text is read in behind the room for the header block and offsets,
  // and the table is built around it.
  const size_t base = StringAreaBase(state.HeaderBlock);
  FileBytes table;
  ReadWholeFile(files.TextFilePath, table, base);
  table.resize(
      TableFromText(state.HeaderBlock, table, base, files.TextFilePath, FieldCodec(currentFileName, kt)));
  WriteWholeFile(files.WorkTablePath, table, Durability::Work);
}

}  // namespace gs
