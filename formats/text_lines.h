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

}  // namespace gs
