#include "quality/entry_lines.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "catalog/catalog.h"
#include "common/file.h"
#include "formats/email_data.h"
#include "formats/format_errors.h"
#include "formats/string_table.h"
#include "formats/text_sink.h"

namespace gs {

namespace {

constexpr uint8_t kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

std::string_view View(const uint8_t* begin, const uint8_t* end) {
  return {reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin)};
}

const uint8_t* Find(const uint8_t* from, const uint8_t* end, uint8_t byte) {
  const void* hit = std::memchr(from, byte, static_cast<size_t>(end - from));
  return hit != nullptr ? static_cast<const uint8_t*>(hit) : end;
}

// The work parts of an edited text, line by line.
class EditedLines {
 public:
  EditedLines(std::span<const uint8_t> text, std::string_view textName)
      : position_(text.data()), end_(text.data() + text.size()), textName_(textName) {
    if (text.size() >= 3 && std::equal(std::begin(kByteOrderMark), std::end(kByteOrderMark), text.begin())) {
      position_ += 3;
    }
    // Empty lines at the end carry nothing.
    while (end_ > position_ && (end_[-1] == 0x0A || end_[-1] == 0x0D)) --end_;
  }

  // The work part of the next line; false when the text has no more lines.
  bool Next(std::string_view& work) {
    if (position_ >= end_) return false;
    const uint8_t* const feed = Find(position_, end_, 0x0A);
    const uint8_t* const separator = Find(position_, feed, 0x00);
    ++lines_;
    if (separator == feed) {
      RaiseUnknownFormat(textName_, "line " + std::to_string(lines_) +
                                        " holds no column separator: a line break typed inside a cell, or a "
                                        "separator that the word processor lost");
    }
    work = View(position_, separator);
    position_ = feed < end_ ? feed + 1 : end_;
    return true;
  }

  // Error 7777 unless the text had exactly one line per entry.
  void ExpectEntries(size_t entries) {
    size_t lines = lines_;
    if (position_ < end_) lines += 1 + static_cast<size_t>(std::count(position_, end_, 0x0A));
    if (lines != entries) {
      RaiseUnknownFormat(textName_, std::to_string(lines) + " lines for the " + std::to_string(entries) +
                                        " entries of the table");
    }
  }

 private:
  const uint8_t* position_;
  const uint8_t* end_;
  std::string_view textName_;
  size_t lines_ = 0;
};

// Hands each line the export finishes to a visitor and forgets it. With an
// edited text, the line's work part is the text's line of the same number.
class LineSink : public TextSink {
 public:
  LineSink(const EntryVisitor& visit, EditedLines* edited) : visit_(visit), edited_(edited) {}

  size_t Lines() const noexcept { return lines_; }

  void LinesDone() override {
    // The export's lines: work text, 0x00, English text, 0x0D 0x0A; neither
    // text holds a zero byte or a byte below 0x20.
    const uint8_t* p = buffer_.data();
    const uint8_t* const end = p + buffer_.size();
    while (p < end) {
      const uint8_t* const separator = Find(p, end, 0x00);
      const uint8_t* const feed = Find(separator, end, 0x0A);
      EntryLine line{++lines_, View(p, separator), View(separator + 1, feed - 1)};
      if (edited_ != nullptr && !edited_->Next(line.Work)) line.Work = {};
      visit_(line);
      p = feed + 1;
    }
    buffer_.clear();
  }

 private:
  const EntryVisitor& visit_;
  EditedLines* edited_;
  size_t lines_ = 0;
};

// The export of work beside english into sink.
void Export(std::span<const uint8_t> work, std::span<const uint8_t> english, std::string_view currentFileName,
            KtLibrary& kt, TextSink& sink) {
  const FieldCodec codec(currentFileName, kt);
  if (IsStringTable(currentFileName)) {
    StringTableText(StringTable(work, currentFileName), StringTable(english, currentFileName), codec, sink);
    return;
  }
  const EmailData englishData = ReadEmailData(english, currentFileName, codec);
  const EmailData workData = ReadEmailData(work, currentFileName, codec);
  CheckEmailTwins(workData, englishData, currentFileName);
  EmailText(workData, englishData, codec, sink);
}

}  // namespace

void ForEachEntry(const ConversionFiles& files, std::string_view currentFileName, KtLibrary& kt,
                  const EntryVisitor& visit) {
  FileBytes work, english, text;
  ReadWholeFile(files.WorkTablePath, work);
  ReadWholeFile(files.TemplateCopyPath, english);
  if (files.TextFilePath.empty()) {
    ForEachEntry(work, english, currentFileName, kt, visit);
    return;
  }
  ReadWholeFile(files.TextFilePath, text);
  EditedLines edited(text, files.TextFilePath);
  LineSink sink(visit, &edited);
  Export(work, english, currentFileName, kt, sink);
  edited.ExpectEntries(sink.Lines());
}

void ForEachEntry(std::span<const uint8_t> work, std::span<const uint8_t> english,
                  std::string_view currentFileName, KtLibrary& kt, const EntryVisitor& visit) {
  LineSink sink(visit, nullptr);
  Export(work, english, currentFileName, kt, sink);
}

size_t CountCodePoints(std::string_view text) noexcept {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(),
                                           [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

}  // namespace gs
