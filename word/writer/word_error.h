// Errors raised by the word processor, with Word's numbers and wording.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gs::writer {

// Raises error number with Word's usual text for it, followed by ": detail"
// when a detail is given. The source is the word processor, or the project
// for failures to reach it (429, 462, time-outs).
[[noreturn]] void RaiseWordError(int32_t number, std::string_view detail = {});

// Word's usual text for one of the wderr numbers ("" for others).
std::string_view WordErrorText(int32_t number);

}  // namespace gs::writer
