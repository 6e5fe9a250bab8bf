// Reads an edited text file as the imports take it: after the byte-order
// mark that the word processor's save puts first, when there is one, each
// line's work part runs up to its separator 0x00, and the rest of the line,
// the English part and the line end, is skipped up to and including the next
// 0x0A.
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
  size_t End = 0;    // after the last line, empty lines at the end left out
  size_t Lines = 0;
};

// Checks an edited text: every line (up to and including its 0x0A; the last
// may end without one) holds exactly one separator, the column separator of
// the word processor's table, and its work part is UTF-8. Empty lines at the
// end carry nothing and are left out. Anything else raises error 7777 naming
// textName and the line: a word processor that lost the separator, a line
// broken inside a cell, bytes that no word processor saves.
EditedText CheckEditedText(std::span<const uint8_t> text, std::string_view textName);

class TextLines {
 public:
  // The lines of text from begin on.
  TextLines(std::span<const uint8_t> text, size_t begin) : text_(text), position_(begin) {}

  bool AtEnd() const noexcept { return position_ >= text_.size(); }

  // The bytes up to the next separator, which is passed. When no separator
  // follows, part is the rest of the text, the end is reached and the result
  // is false.
  bool NextWorkPart(std::span<const uint8_t>& part) {
    const size_t at = Find(0x00);
    part = text_.subspan(position_, at - position_);
    position_ = at < text_.size() ? at + 1 : at;
    return at < text_.size();
  }

  // Passes the next 0x0A; false when the text ends first.
  bool SkipToLineEnd() {
    const size_t at = Find(0x0A);
    position_ = at < text_.size() ? at + 1 : at;
    return at < text_.size();
  }

 private:
  size_t Find(uint8_t byte) const {
    if (AtEnd()) return text_.size();
    const void* hit = std::memchr(text_.data() + position_, byte, text_.size() - position_);
    return hit != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - text_.data())
                          : text_.size();
  }

  std::span<const uint8_t> text_;
  size_t position_;
};

// The work parts of an edited text, gathered in place into a string area at
// the start of the text's own buffer: each part moves down behind the parts
// before it and is closed by a zero byte. A part moves only once it has been
// read and never past the place that reading has reached, so nothing unread
// is overwritten.
class WorkPartsInPlace {
 public:
  // The lines of a checked text (see CheckEditedText), the check's End
  // making its end.
  WorkPartsInPlace(std::span<uint8_t> text, const EditedText& lines)
      : text_(text.first(lines.End)), lines_(text_, lines.Begin) {}

  bool AtEnd() const noexcept { return lines_.AtEnd(); }

  // Moves the next line's work part to the end of the area, closed by a
  // zero byte, and gives it as it now lies there (without the zero). When
  // no separator follows, the part is the rest of the text, moved without a
  // zero; the end is reached and the result is false. A part that does not
  // join the area (intoArea false) stays where it is, valid until the next
  // call.
  bool Next(std::span<uint8_t>& part, bool intoArea = true) {
    std::span<const uint8_t> found;
    const bool separated = lines_.NextWorkPart(found);
    const auto from = static_cast<size_t>(found.data() - text_.data());
    if (!intoArea) {
      part = text_.subspan(from, found.size());
      return separated;
    }
    uint8_t* to = text_.data() + area_;
    // The first part may lie where it stays.
    std::memmove(to, text_.data() + from, found.size());
    part = {to, found.size()};
    area_ += found.size();
    if (separated) text_[area_++] = 0x00;
    return separated;
  }

  // Passes the rest of the line; false when the text ends first.
  bool SkipToLineEnd() { return lines_.SkipToLineEnd(); }

  // The parts moved so far.
  std::span<uint8_t> Area() const noexcept { return text_.first(area_); }

 private:
  std::span<uint8_t> text_;
  TextLines lines_;
  size_t area_ = 0;
};

}  // namespace gs
