// The few UTF-8 operations the documents and the edited texts need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gs {

inline constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

// Decodes the code point at text[i], advancing i past it; returns
// kInvalidCodePoint (advancing by one byte) for anything that is not
// well-formed UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
char32_t DecodeUtf8(std::string_view text, size_t& i);

// The offset of the first byte that is not well-formed UTF-8, or npos.
size_t FindInvalidUtf8(std::string_view text);

// The start of the code point that ends at offset end (end > 0, on a boundary).
size_t PreviousCodePoint(std::string_view text, size_t end);

// True when text is exactly one well-formed code point.
bool IsOneCodePoint(std::string_view text);

// Appends the UTF-8 form of a code point (up to U+10FFFF) to out.
void AppendUtf8(std::string& out, char32_t cp);
// The UTF-8 form of a code point.
std::string Utf8(char32_t cp);

}  // namespace gs
