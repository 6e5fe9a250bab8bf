// Word on Windows, behind the WordApp interface (word_app_win32.cpp).
#pragma once

#include <memory>

#include "workflow/automation_win32.h"
#include "workflow/word_app.h"

namespace gs {

// Word's class identifier, Word.Application.
inline constexpr CLSID kWordApplicationClass = {
    0x000209FF, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The WordApp over an Application object that is already there: the one
// CreateWordApp makes, or a test's own.
std::unique_ptr<WordApp> WordAppOver(com::Dispatch application);

}  // namespace gs
