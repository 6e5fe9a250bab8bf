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

// What the import of the same table needs: the English header block.
void KeepHeaderBlock(FormatState& state, const StringTable& english, std::string_view currentFileName) {
  state.HeaderBlock.assign(english.HeaderBlock().begin(), english.HeaderBlock().end());
  state.StringTableExported = currentFileName;
}

}  // namespace

StringTable::StringTable(std::span<const uint8_t> file, std::string_view currentFileName) : file_(file) {
  if (file.size() < kFixedHeader) RaiseUnknownFormat(currentFileName);
  count_ = LoadInt32(file, kCountField);
  if (count_ < 1) RaiseUnknownFormat(currentFileName);
  offsetTable_ = static_cast<size_t>(CheckedAdd(kFixedHeader, CheckedMul(4, count_)));
  if (offsetTable_ + 4 * static_cast<uint64_t>(count_) > file.size()) RaiseUnknownFormat(currentFileName);
}

int32_t StringTable::OffsetOf(int32_t entry) const {
  const int32_t offset = LoadInt32(file_, offsetTable_ + 4 * static_cast<size_t>(entry));
  // The position the runtime counts from 1 must stay a 32-bit number.
  if (offset == std::numeric_limits<int32_t>::max()) RaiseRuntime(rt::Overflow);
  return offset;
}

void StringTableText(const StringTable& work, const StringTable& english, const FieldCodec& codec,
                     TextSink& text) {
  ExportLines lines(codec, text);
  for (int32_t j = 0; j < english.Count(); ++j) {
    if (j < work.Count()) lines.StoredField(work.File(), work.OffsetOf(j));
    lines.Separator();
    lines.StoredField(english.File(), english.OffsetOf(j));
    lines.EndLine();
  }
  lines.Finish();
}

Bytes StringTableFromText(std::span<const uint8_t> headerBlock, std::span<const uint8_t> text,
                          std::string_view textName, const FieldCodec& codec) {
  if (headerBlock.size() < kFixedHeader) RaiseRuntime(rt::SubscriptOutOfRange);
  const int32_t count = LoadInt32(headerBlock, kCountField);
  const size_t offsetTable = headerBlock.size();
  if (count < 1 || offsetTable != kFixedHeader + 4 * static_cast<uint64_t>(count)) {
    RaiseRuntime(rt::SubscriptOutOfRange);
  }
  // The table is built in place: header block, one offset per English
  // entry, then the strings, each closed by its line's separator. A text
  // with another number of lines is refused below, so the string area
  // begins at base whenever the table is kept.
  const int32_t base = CheckedAdd(offsetTable, CheckedMul(4, count));
  Bytes table;
  ReserveLarge(table, static_cast<size_t>(base) + text.size());
  AppendBytes(table, headerBlock);
  table.resize(static_cast<size_t>(base));

  // A string's offset, base + its position in the string area, must stay a
  // 32-bit number.
  const size_t lastOffset = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  TextLines lines(text);
  JoinedFields fields;
  size_t k = 0;
  while (!lines.AtEnd()) {
    std::span<const uint8_t> workPart;
    const bool separated = lines.NextWorkPart(workPart);
    AppendBytes(table, workPart);
    fields.Add(workPart, table.size() - static_cast<size_t>(base));
    // Bytes after the last separator start no entry; they follow the last string.
    if (!separated) break;
    if (k < static_cast<size_t>(count)) {
      const size_t offset = table.size() - workPart.size();
      if (offset > lastOffset) RaiseRuntime(rt::Overflow);
      StoreInt32(table.data() + offsetTable + 4 * k, static_cast<int32_t>(offset));
    }
    ++k;
    table.push_back(0x00);
    lines.SkipToLineEnd();
  }
  if (k != static_cast<size_t>(count)) {
    RaiseUnknownFormat(textName, std::to_string(k) + " lines with a separator for " + std::to_string(count) +
                                     " entries of the English table");
  }
  fields.Encode(codec, std::span<uint8_t>(table).subspan(static_cast<size_t>(base)));
  return table;
}

void ReadStringTableState(FormatState& state, const ConversionFiles& files,
                          std::string_view currentFileName) {
  state.StringTableExported.clear();  // a failed read leaves nothing to import
  const Bytes work = ReadWholeFile(files.WorkTablePath);
  const Bytes english = ReadWholeFile(files.TemplateCopyPath);
  StringTable(work, currentFileName);  // checked as the export checks it
  KeepHeaderBlock(state, StringTable(english, currentFileName), currentFileName);
}

void StringTableExport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                       KtLibrary& kt) {
  state.StringTableExported.clear();  // a failed export leaves nothing to import
  const Bytes work = ReadWholeFile(files.WorkTablePath);
  const Bytes english = ReadWholeFile(files.TemplateCopyPath);
  const StringTable workTable(work, currentFileName);
  const StringTable englishTable(english, currentFileName);
  TextFileSink text(files.TextFilePath);
  StringTableText(workTable, englishTable, FieldCodec(currentFileName, kt), text);
  text.Commit();
  KeepHeaderBlock(state, englishTable, currentFileName);
}

void StringTableImport(const FormatState& state, const ConversionFiles& files,
                       std::string_view currentFileName, KtLibrary& kt) {
  RequireExportOf(state.StringTableExported, currentFileName, "string table");
  const Bytes text = ReadWholeFile(files.TextFilePath);
  const Bytes table =
      StringTableFromText(state.HeaderBlock, text, files.TextFilePath, FieldCodec(currentFileName, kt));
  WriteWholeFile(files.WorkTablePath, table, Durability::Work);
}

}  // namespace gs
