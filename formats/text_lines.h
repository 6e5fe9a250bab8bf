// Reads an edited text file as the imports take it: the first three bytes
// (the byte-order mark the word processor adds) are skipped whatever they
// hold; each line's work part runs up to its separator 0x00, and the rest of
// the line, the English part and the line end, is skipped up to and
// including the next 0x0A.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace gs {

class TextLines {
 public:
  explicit TextLines(std::span<const uint8_t> text)
      : text_(text), position_(std::min<size_t>(3, text.size())) {}

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
  explicit WorkPartsInPlace(std::span<uint8_t> text) : text_(text), lines_(text) {}

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
    std::copy(text_.begin() + static_cast<ptrdiff_t>(from),
              text_.begin() + static_cast<ptrdiff_t>(from + found.size()), to);
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
