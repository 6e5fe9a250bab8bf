#include "common/utf8.h"

#include <cstring>

namespace gs {

char32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  size_t length;
  char32_t cp;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return kInvalidCodePoint;
  }
  if (i + length > text.size()) {
    ++i;
    return kInvalidCodePoint;
  }
  for (size_t k = 1; k < length; ++k) {
    const uint8_t b = byte(i + k);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kInvalidCodePoint;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kInvalidCodePoint;
  }
  i += length;
  return cp;
}

size_t FindInvalidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const size_t n = text.size();
  const auto trail = [&](size_t k) { return k < n && (p[k] & 0xC0) == 0x80; };
  size_t i = 0;
  while (i < n) {
    // Runs of ASCII: eight bytes at a time when none has its top bit set.
    uint64_t word;
    if (n - i >= 8 && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080) == 0)) {
      i += 8;
      continue;
    }
    const uint8_t b = p[i];
    if (b < 0x80) {
      ++i;
    } else if (b >= 0xC2 && b <= 0xDF && trail(i + 1)) {
      i += 2;
    } else if (b >= 0xE0 && b <= 0xEF && trail(i + 1) && trail(i + 2) &&
               (b != 0xE0 || p[i + 1] >= 0xA0) &&  // no overlong form
               (b != 0xED || p[i + 1] < 0xA0)) {   // no surrogate
      i += 3;
    } else if (b >= 0xF0 && b <= 0xF4 && trail(i + 1) && trail(i + 2) && trail(i + 3) &&
               (b != 0xF0 || p[i + 1] >= 0x90) &&  // no overlong form
               (b != 0xF4 || p[i + 1] < 0x90)) {   // nothing past U+10FFFF
      i += 4;
    } else {
      return i;
    }
  }
  return std::string_view::npos;
}

size_t PreviousCodePoint(std::string_view text, size_t end) {
  size_t i = end - 1;
  while (i > 0 && (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80 && end - i < 4) --i;
  return i;
}

bool IsOneCodePoint(std::string_view text) {
  if (text.empty()) return false;
  size_t i = 0;
  return DecodeUtf8(text, i) != kInvalidCodePoint && i == text.size();
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Utf8(char32_t cp) {
  std::string out;
  AppendUtf8(out, cp);
  return out;
}

}  // namespace gs
