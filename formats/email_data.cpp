#include "formats/email_data.h"

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

constexpr size_t kFileHeader = 8;
constexpr size_t kValuesSize = 5 * 4;
// The Tag's length counter is a 16-bit signed integer.
constexpr size_t kLongestTag = 32767;
// Values, an empty Tag and an empty Heading: the least a record takes.
constexpr size_t kShortestRecord = kValuesSize + 2;

// Reads the Tag at position, its zero byte included; returns the position after it.
size_t ReadTag(std::span<const uint8_t> file, size_t position, Bytes& tag, std::string_view fileName) {
  const size_t left = file.size() - position;
  const size_t searched = std::min(left, kLongestTag);
  const auto* begin = file.data() + position;
  const auto* zero = static_cast<const uint8_t*>(std::memchr(begin, 0, searched));
  if (zero == nullptr) {
    if (left > kLongestTag) RaiseRuntime(rt::Overflow);
    RaiseUnknownFormat(fileName);
  }
  tag.assign(begin, zero + 1);
  return position + tag.size();
}

// The file offset of a record's string: S plus its offset, which the runtime
// counts from 1.
int64_t StringOffset(int32_t stringArea, int32_t offset) {
  return CheckedAdd(CheckedAdd(stringArea, offset), 1) - 1;
}

// The number of lines the text of records has: a heading line and a line per
// string for each.
size_t LinesOf(const std::vector<EmailRecord>& records) {
  size_t lines = 0;
  for (const EmailRecord& record : records) lines += 1 + record.Offsets.size();
  return lines;
}

// Writes a record as the file holds it at p; returns the position after it.
uint8_t* PutRecord(uint8_t* p, const EmailRecord& record) {
  for (int32_t v : record.Values) StoreInt32(p, v), p += 4;
  p = std::copy(record.Tag.begin(), record.Tag.end(), p);
  p = std::copy(record.Heading.begin(), record.Heading.end(), p);
  for (int32_t offset : record.Offsets) StoreInt32(p, offset), p += 4;
  return p;
}

// Both files of an e-mail data conversion, read whole and checked as twins.
struct EmailTwins {
  FileBytes WorkFile;
  FileBytes EnglishFile;
  EmailData Work;
  EmailData English;
};

// Reads both files into twins, over the records that the last export left in
// state, so that their storage serves again.
void ReadEmailTwins(EmailTwins& twins, FormatState& state, const ConversionFiles& files,
                    const FieldCodec& codec) {
  state.EmailCount = 0;
  twins.English.Records = std::move(state.EnglishRecords);
  twins.Work.Records = std::move(state.LanguageRecords);
  ReadWholeFile(files.WorkTablePath, twins.WorkFile);
  ReadWholeFile(files.TemplateCopyPath, twins.EnglishFile);
  ReadEmailData(twins.EnglishFile, files.TemplateName(), codec, twins.English);
  ReadEmailData(twins.WorkFile, files.WorkTableName(), codec, twins.Work);
  CheckEmailTwins(twins.Work, twins.English, files.WorkTableName());
}

// The import's work, in place in text (the whole text file): the string
// lines' work parts are gathered at its start as the string area, and each
// record gets its Heading (stored form, with its zero byte) and Offsets.
// Returns the part of the file before the string area; area is set to the
// encoded string area inside text.
Bytes RecordsFromText(std::vector<EmailRecord>& records, std::span<uint8_t> text, std::string_view textName,
                      const FieldCodec& codec, std::span<uint8_t>& area) {
  constexpr auto kLargest = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  const EditedText lines = CheckEditedText(text, textName);
  if (const size_t expected = LinesOf(records); lines.Lines != expected) {
    RaiseLineCount(textName, lines.Lines,
                   std::to_string(expected) + " headings and strings of " + std::to_string(records.size()) +
                       " e-mail records");
  }
  WorkPartsInPlace parts(text, lines);
  JoinedFields fields;
  for (EmailRecord& record : records) {
    const std::span<uint8_t> heading = parts.Next(false);
    record.Heading.assign(heading.begin(), heading.end());
    record.Heading.push_back(0x00);
    codec.EncodeField(record.Heading);
    parts.SkipToLineEnd();
    // One line per string; the count is the record's Values[2], which sized Offsets.
    for (int32_t& offset : record.Offsets) {
      const std::span<uint8_t> part = parts.Next();
      const auto position = static_cast<size_t>(part.data() - text.data());
      if (position + part.size() >= kLargest) RaiseRuntime(rt::Overflow);
      offset = static_cast<int32_t>(position);
      fields.Add(part, position + part.size());
      parts.SkipToLineEnd();
    }
  }
  area = parts.Area();

  size_t size = kFileHeader;
  for (const EmailRecord& record : records) {
    size += 4 * (record.Values.size() + record.Offsets.size()) + record.Tag.size() + record.Heading.size();
  }
  // S, and the file's own size, stay 32-bit numbers.
  if (size > kLargest || area.size() > kLargest - size) RaiseRuntime(rt::Overflow);
  Bytes head(size);
  StoreInt32(head.data(), static_cast<int32_t>(records.size()));
  StoreInt32(head.data() + 4, static_cast<int32_t>(size));
  uint8_t* p = head.data() + kFileHeader;
  for (const EmailRecord& record : records) p = PutRecord(p, record);
  fields.Encode(codec, area);
  return head;
}

// What the import of the same file needs: the records of both files.
void KeepRecords(FormatState& state, EmailTwins& twins, std::string_view currentFileName) {
  state.EmailCount = static_cast<int32_t>(twins.English.Records.size());
  state.EnglishRecords = std::move(twins.English.Records);
  state.LanguageRecords = std::move(twins.Work.Records);
  state.EmailExported = currentFileName;
}

}  // namespace

size_t ReadEmailRecord(std::span<const uint8_t> file, size_t position, EmailRecord& record,
                       std::string_view fileName, const FieldCodec& codec) {
  if (file.size() - position < kValuesSize) RaiseUnknownFormat(fileName);
  for (size_t i = 0; i < record.Values.size(); ++i) record.Values[i] = LoadInt32(file, position + 4 * i);
  position = ReadTag(file, position + kValuesSize, record.Tag, fileName);
  record.Heading.clear();
  position = codec.ReadField(file, static_cast<int64_t>(position), record.Heading);
  const int32_t strings = record.Values[2];
  if (strings < 0 || static_cast<uint64_t>(strings) * 4 > file.size() - position) {
    RaiseUnknownFormat(fileName);
  }
  record.Offsets.resize(static_cast<size_t>(strings));
  for (size_t k = 0; k < record.Offsets.size(); ++k) record.Offsets[k] = LoadInt32(file, position + 4 * k);
  return position + 4 * record.Offsets.size();
}

EmailData ReadEmailData(std::span<const uint8_t> file, std::string_view fileName, const FieldCodec& codec) {
  EmailData data;
  ReadEmailData(file, fileName, codec, data);
  return data;
}

void ReadEmailData(std::span<const uint8_t> file, std::string_view fileName, const FieldCodec& codec,
                   EmailData& data) {
  if (file.size() < kFileHeader) RaiseUnknownFormat(fileName);
  const int32_t count = LoadInt32(file, 0);
  if (count < 0) RaiseUnknownFormat(fileName);
  data.File = file;
  data.StringArea = LoadInt32(file, 4);
  // A count larger than the file can hold fails at the first record past
  // its end; it never sizes the list beyond what the file allows.
  data.Records.reserve(std::min<size_t>(static_cast<size_t>(count), file.size() / kShortestRecord + 1));
  size_t position = kFileHeader;
  for (size_t r = 0; r < static_cast<size_t>(count); ++r) {
    EmailRecord& record = r < data.Records.size() ? data.Records[r] : data.Records.emplace_back();
    position = ReadEmailRecord(file, position, record, fileName, codec);
  }
  data.Records.resize(static_cast<size_t>(count));
}

void CheckEmailTwins(const EmailData& work, const EmailData& english, std::string_view fileName) {
  if (work.Records.size() != english.Records.size()) RaiseUnknownFormat(fileName);
  for (size_t r = 0; r < english.Records.size(); ++r) {
    if (work.Records[r].Offsets.size() != english.Records[r].Offsets.size()) {
      RaiseUnknownFormat(fileName);
    }
  }
}

void EmailText(const EmailData& work, const EmailData& english, const FieldCodec& codec, TextSink& text) {
  // Records are read in order but their strings lie anywhere; the strings
  // of the records a few ahead are loaded while these are written.
  constexpr size_t kAhead = 4;
  const auto prefetch = [](const EmailData& data, size_t r) {
    if (r >= data.Records.size()) return;
    for (const int32_t offset : data.Records[r].Offsets) {
      FieldCodec::Prefetch(data.File, static_cast<int64_t>(data.StringArea) + offset);
    }
  };
  ExportLines lines(codec, text);
  for (size_t r = 0; r < english.Records.size(); ++r) {
    prefetch(work, r + kAhead);
    prefetch(english, r + kAhead);
    if (r >= work.Records.size() || work.Records[r].Offsets.size() < english.Records[r].Offsets.size()) {
      RaiseRuntime(rt::SubscriptOutOfRange);
    }
    const EmailRecord& w = work.Records[r];
    const EmailRecord& e = english.Records[r];
    lines.EditField(w.Heading);
    lines.Separator();
    lines.EditField(e.Heading);
    lines.EndLine();
    for (size_t k = 0; k < e.Offsets.size(); ++k) {
      lines.StoredField(work.File, StringOffset(work.StringArea, w.Offsets[k]));
      lines.Separator();
      lines.StoredField(english.File, StringOffset(english.StringArea, e.Offsets[k]));
      lines.EndLine();
    }
  }
  lines.Finish();
}

Bytes EmailDataFromText(std::vector<EmailRecord>& records, std::span<const uint8_t> text,
                        std::string_view textName, const FieldCodec& codec) {
  FileBytes scratch(text.size());
  std::copy(text.begin(), text.end(), scratch.begin());
  std::span<uint8_t> area;
  Bytes out = RecordsFromText(records, scratch, textName, codec, area);
  AppendBytes(out, area);
  return out;
}

void ReadEmailState(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                    KtLibrary& kt) {
  state.EmailExported.clear();  // a failed read leaves nothing to import
  EmailTwins twins;
  ReadEmailTwins(twins, state, files, FieldCodec(currentFileName, kt));
  KeepRecords(state, twins, currentFileName);
}

void EmailExport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                 KtLibrary& kt) {
  state.EmailExported.clear();  // a failed export leaves nothing to import
  const FieldCodec codec(currentFileName, kt);
  EmailTwins twins;
  ReadEmailTwins(twins, state, files, codec);
  TextFileSink text(files.TextFilePath);
  EmailText(twins.Work, twins.English, codec, text);
  text.Commit();
  KeepRecords(state, twins, currentFileName);
}

void EmailImport(FormatState& state, const ConversionFiles& files, std::string_view currentFileName,
                 KtLibrary& kt) {
  RequireExportOf(state.EmailExported, currentFileName, "e-mail data");
  FileBytes text;
  ReadWholeFile(files.TextFilePath, text);
  std::span<uint8_t> area;
  const Bytes head =
      RecordsFromText(state.LanguageRecords, text, files.TextFilePath, FieldCodec(currentFileName, kt), area);
  AtomicFile out(files.WorkTablePath, Durability::Work);
  out.Append(head);
  out.Append(area);
  out.Commit();
}

}  // namespace gs
