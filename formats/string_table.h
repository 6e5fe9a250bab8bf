// String tables (types "Front" and "Game") and their conversion to the text
// file edited in the word processor and back.
//
// Layout, little-endian 32-bit signed integers:
//   0   4          not interpreted
//   4   4          count
//   8   8          not interpreted
//   16  4 x count  entry table, not interpreted
//   16 + 4 x count 4 x count  offset table: the file offset of each entry's string
//   then           the string area, zero-terminated strings
// The first 16 + 4 x count bytes are the header block, which every table the
// import writes takes whole from the English template copy.
//
// Text file: one line per English entry, in entry order: the work table's
// string in edit form, 0x00, the English string in edit form, 0x0D 0x0A.
// The import skips the byte-order mark that the word processor's save puts
// first, when there is one, and takes each line's text up to its 0x00.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/file.h"
#include "formats/field_codec.h"
#include "formats/format_state.h"
#include "formats/kt_library.h"
#include "formats/text_sink.h"

namespace gs {

// A string table held in memory, its count and tables checked against its size.
class StringTable {
 public:
  // Raises error 7777 (naming the file by fileName) when the count is below
  // 1 or the entry and offset tables run past the end of the file, and
  // error 6 when 16 + 4 x count leaves the 32-bit range.
  StringTable(std::span<const uint8_t> file, std::string_view fileName);

  std::span<const uint8_t> File() const noexcept { return file_; }
  int32_t Count() const noexcept { return count_; }
  std::span<const uint8_t> HeaderBlock() const noexcept { return file_.first(offsetTable_); }
  // The file offset of an entry's string, as stored; error 6 when the offset
  // plus one leaves the 32-bit range.
  int32_t OffsetOf(int32_t entry) const;
  // Starts loading the string of an entry that is read soon (see
  // FieldCodec::Prefetch); entries outside the table are left alone.
  void Prefetch(int32_t entry) const noexcept;

 private:
  std::span<const uint8_t> file_;
  int32_t count_;
  size_t offsetTable_;
};

// The text file of a work table beside its English template copy: one line
// per English entry; work entries past the English count are left out, and
// English entries past the work table's count get an empty work part.
void StringTableText(const StringTable& work, const StringTable& english, const FieldCodec& codec,
                     TextSink& text);

// A new work table from an edited text file: the header block, one offset
// per line and the lines' work strings in stored form, back to back. Raises
// error 7777 naming textName when the text fails CheckEditedText or its
// number of lines differs from the count inside the header block, and error
// 9 when the header block is not one (16 + 4 x count bytes).
Bytes StringTableFromText(std::span<const uint8_t> headerBlock, std::span<const uint8_t> text,
                          std::string_view textName, const FieldCodec& codec);

// The export: reads the work table and the English template copy, writes the
// text file, and keeps the English header block in state for the import. The
// text file is replaced whole only when the export succeeds; a failed export
// leaves nothing in state to import.
void StringTableExport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                       KtLibrary& kt);

// Fills state as StringTableExport does, from the same two tables, without
// writing the text file.
void ReadStringTableState(FormatState& state, const ConversionFiles& files, std::string_view currentFileName);

// The import: rebuilds the work table from the edited text file. Needs the
// string table export of the same file in state (error 5 otherwise). The
// work table is replaced whole only when the whole text has been taken; as a
// work file of the cycle, it is not flushed to the disk.
void StringTableImport(const FormatState& state, const ConversionFiles& files,
                       std::string_view currentFileName, KtLibrary& kt);

}  // namespace gs
