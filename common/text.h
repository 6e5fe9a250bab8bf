// Small text helpers used all over the program: quoting a path or a name in
// a message, and ASCII letter case.
#pragma once

#include <string>
#include <string_view>

namespace gs {

// The text in double quotes, as messages name paths and entries.
std::string Quoted(std::string_view text);

// ASCII letters made small; every other byte (UTF-8 included) stays.
char LowerAscii(char c);
std::string LowerAscii(std::string_view text);

// Equal, or ordered byte by byte (as unsigned), ASCII letter case aside.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);
bool LessIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace gs
