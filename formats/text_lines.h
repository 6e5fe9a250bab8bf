// Reads an edited text file as the imports take it: after the byte-order
// mark that the word processor's save puts first, when there is one, each
// line's work part runs up to its separator 0x00, and the rest of the line,
// the English part and the line end, is skipped up to and including the next
// 0x0A. So a line is one row of the word processor's table: a line break
// typed inside a cell stays in the work part, where it is masked. The text is
// checked whole before any of it is taken.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace gs {

// The lines of an edited text, checked before anything is taken from it.
struct EditedText {
  size_t Begin = 0;  // after the byte-order mark, when there is one
  size_t End = 0;    // after the last line, line ends after it left out
  size_t Lines = 0;
};

// Checks an edited text: every line (its work part, its separator, and the
// rest up to and including the next 0x0A; the last may end without one)
// holds exactly one separator, the column separator of the word processor's
// table, and its work part is UTF-8. Line ends after the last line carry
// nothing and are left out. Anything else raises error 7777 naming textName
// and the line: a word processor that lost the separator, text added below
// the table or a column added to it, bytes that no word processor saves.
EditedText CheckEditedText(std::span<const uint8_t> text, std::string_view textName);

// Error 7777 naming textName: a checked text with another number of lines
// than the texts it is for, "the text has <lines> lines for the <texts>".
[[noreturn]] void RaiseLineCount(std::string_view textName, size_t lines, std::string_view texts);

// The work parts of a checked text (see CheckEditedText), gathered in place
// into a string area at the start of the text's own buffer: each part moves
// down behind the parts before it and is closed by a zero byte. A part moves
// only once it has been read and never past the place that reading has
// reached, so nothing unread is overwritten.
class WorkPartsInPlace {
 public:
  WorkPartsInPlace(std::span<uint8_t> text, const EditedText& lines)
      : text_(text.first(lines.End)), position_(lines.Begin) {}

  // Passes the next line's work part and its separator, and gives the part:
  // moved to the end of the area and closed by a zero byte there (given
  // without the zero), or, when it does not join the area (intoArea false),
  // where it is, valid until the next call.
  std::span<uint8_t> Next(bool intoArea = true) {
    const size_t from = position_;
    const size_t size = Find(0x00) - from;
    position_ += size + 1;
    if (!intoArea) return text_.subspan(from, size);
    uint8_t* to = text_.data() + area_;
    std::memmove(to, text_.data() + from, size);  // the first part may lie where it stays
    area_ += size;
    text_[area_++] = 0x00;
    return {to, size};
  }

  // Passes the rest of the line: the English part and the line end.
  void SkipToLineEnd() { position_ = std::min(Find(0x0A) + 1, text_.size()); }

  // The parts moved so far.
  std::span<uint8_t> Area() const noexcept { return text_.first(area_); }

 private:
  // The position of the next byte of that value, or the text's end.
  size_t Find(uint8_t byte) const {
    if (position_ >= text_.size()) return text_.size();
    const void* hit = std::memchr(text_.data() + position_, byte, text_.size() - position_);
    return hit != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - text_.data())
                          : text_.size();
  }

  std::span<uint8_t> text_;
  size_t position_;
  size_t area_ = 0;
};

}  // namespace gs
