// Word on Windows, behind the WordApp interface (word_app_win32.cpp).
#pragma once

#include <functional>
#include <memory>

#include "word/com/automation_win32.h"
#include "word/word_app.h"

namespace gs {

// Word's class identifier, Word.Application.
inline constexpr CLSID kWordApplicationClass = {
    0x000209FF, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A new Word of the given class (a local server): kWordApplicationClass for
// Word itself, as WordApps does.
std::unique_ptr<WordApp> CreateWordApp(const CLSID& applicationClass, const WordAppOptions& options);

// The WordApp over an Application object that make gives (a test's own,
// made on the thread that then calls it; its process is not known).
std::unique_ptr<WordApp> WordAppOver(std::function<IDispatch*()> make, const WordAppOptions& options = {});

}  // namespace gs
