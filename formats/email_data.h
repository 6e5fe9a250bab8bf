// The e-mail data file (type "E-Mail") and its conversion to the text file
// edited in the word processor and back.
//
// Layout, little-endian 32-bit signed integers:
//   0  record count N
//   4  S, the offset of the string area
//   8  N records back to back, each: Values (5 integers, Values[2] = string
//      count M), Tag (bytes up to and including a zero byte), Heading (a
//      zero-terminated string), Offsets (M integers, relative to S)
//   S  the string area, zero-terminated strings
//
// Text file: per record one heading line, then one line per string of the
// English record; each line is the work text in edit form, 0x00, the English
// text in edit form, 0x0D 0x0A. The import skips the byte-order mark that
// the word processor's save puts first, when there is one, and takes each
// line's text up to its 0x00.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/file.h"
#include "formats/field_codec.h"
#include "formats/format_state.h"
#include "formats/kt_library.h"
#include "formats/text_sink.h"

namespace gs {

// An e-mail data file held in memory, with its records read.
struct EmailData {
  std::span<const uint8_t> File;
  int32_t StringArea = 0;  // S
  std::vector<EmailRecord> Records;
};

// Reads one record from position on: Values, Tag, Heading (in edit form) and
// Offsets; returns the position directly after its last offset. Error 7777
// naming the file by fileName when the record runs past the end of the
// file or its string count is negative; error 6 when the Tag holds more than
// 32,767 bytes, its zero byte included.
size_t ReadEmailRecord(std::span<const uint8_t> file, size_t position, EmailRecord& record,
                       std::string_view fileName, const FieldCodec& codec);

// Reads the record count, S and every record, sequentially from offset 8.
// Error 7777 when the file is shorter than its counts say.
EmailData ReadEmailData(std::span<const uint8_t> file, std::string_view fileName, const FieldCodec& codec);
// The same into data, over the records it holds, whose storage serves again.
void ReadEmailData(std::span<const uint8_t> file, std::string_view fileName, const FieldCodec& codec,
                   EmailData& data);

// Error 7777 naming the work table by fileName unless it has as many
// records as the English template copy and each record as many strings as
// its English twin.
void CheckEmailTwins(const EmailData& work, const EmailData& english, std::string_view fileName);

// The text file of twin e-mail data files (checked by CheckEmailTwins;
// error 9 when a work record lacks a string of its English twin).
void EmailText(const EmailData& work, const EmailData& english, const FieldCodec& codec, TextSink& text);

// A new e-mail data file from an edited text: each record keeps its Values
// and Tag and gets its Heading (stored form, with its zero byte) and Offsets
// from the text, rewritten in records. Error 7777 naming textName when the
// text fails CheckEditedText or has not exactly one line per heading and per
// string of the records (a row added or removed would shift every later text
// into another place); records are then left as they were.
Bytes EmailDataFromText(std::vector<EmailRecord>& records, std::span<const uint8_t> text,
                        std::string_view textName, const FieldCodec& codec);

// The export: reads the work table and the English template copy, writes the
// text file, and keeps EmailCount, EnglishRecords and LanguageRecords in
// state. The text file is replaced whole only when the export succeeds; a
// failed export leaves nothing in state to import.
void EmailExport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                 KtLibrary& kt);

// Fills state as EmailExport does, without writing the text file.
void ReadEmailState(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                    KtLibrary& kt);

// The import: rebuilds the work table from the edited text file and the
// records in state. Needs the e-mail data export of the same file in state
// (error 5 otherwise). The work table is replaced whole only when the whole
// text has been taken; as a work file of the cycle, it is not flushed to the
// disk.
void EmailImport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                 KtLibrary& kt);

}  // namespace gs
