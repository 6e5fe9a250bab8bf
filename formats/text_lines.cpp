#include "formats/text_lines.h"

#include <cstdio>
#include <string>

#include "common/utf8.h"
#include "formats/format_errors.h"

namespace gs {

namespace {

constexpr uint8_t kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

const uint8_t* Find(const uint8_t* from, const uint8_t* end, uint8_t byte) {
  const void* hit = std::memchr(from, byte, static_cast<size_t>(end - from));
  return hit != nullptr ? static_cast<const uint8_t*>(hit) : end;
}

// True for bytes that are nothing but line ends.
bool IsLineEnds(const uint8_t* begin, const uint8_t* end) {
  return std::all_of(begin, end, [](uint8_t b) { return b == 0x0D || b == 0x0A; });
}

[[noreturn]] void RaiseLine(std::string_view textName, size_t line, const std::string& what) {
  RaiseUnknownFormat(textName, "line " + std::to_string(line) + " " + what);
}

std::string Hex(char byte) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", static_cast<uint8_t>(byte));
  return hex;
}

}  // namespace

EditedText CheckEditedText(std::span<const uint8_t> text, std::string_view textName) {
  EditedText checked;
  if (text.size() >= 3 && std::equal(std::begin(kByteOrderMark), std::end(kByteOrderMark), text.begin())) {
    checked.Begin = 3;
  }
  const uint8_t* const begin = text.data() + checked.Begin;
  const uint8_t* const end = text.data() + text.size();
  checked.End = checked.Begin;
  for (const uint8_t* line = begin; line < end;) {
    const size_t number = checked.Lines + 1;
    const uint8_t* const separator = Find(line, end, 0x00);
    if (separator == end) {
      if (IsLineEnds(line, end)) break;
      if (number == 1) {
        RaiseUnknownFormat(textName, "the word processor lost the column separator: no line holds one");
      }
      RaiseLine(
          textName, number,
          "holds no column separator: text below the table, or a separator that the word processor lost");
    }
    const uint8_t* const feed = Find(separator + 1, end, 0x0A);
    const uint8_t* const lineEnd = feed < end ? feed + 1 : end;
    if (const auto more = std::count(separator + 1, lineEnd, 0x00); more > 0) {
      RaiseLine(textName, number, "holds " + std::to_string(more + 1) + " column separators instead of one");
    }
    const std::string_view work(reinterpret_cast<const char*>(line), static_cast<size_t>(separator - line));
    if (const size_t bad = FindInvalidUtf8(work); bad != std::string_view::npos) {
      std::string bytes = Hex(work[bad]);
      if (bad + 1 < work.size()) bytes += " " + Hex(work[bad + 1]);
      RaiseLine(textName, number,
                "is not UTF-8 text at its byte " + std::to_string(bad + 1) + " (" + bytes + ")");
    }
    checked.Lines = number;
    checked.End = static_cast<size_t>(lineEnd - text.data());
    line = lineEnd;
  }
  return checked;
}

void RaiseLineCount(std::string_view textName, size_t lines, std::string_view texts) {
  RaiseUnknownFormat(textName, "the text has " + std::to_string(lines) + (lines == 1 ? " line" : " lines") +
                                   " for the " + std::string(texts));
}

}  // namespace gs
