// The error report's box on Windows: a modal message box with the message,
// OK and Help, no icon, and the program's title in its title bar. Help opens
// the error's help file at its context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace gs {

// Opens a help file at a context (0: its first topic) in a viewer process of
// its own, so that it stays open when the program ends after the box: HTML
// Help (hh.exe) for ".chm" files, WinHelp for the others. Does nothing for
// an empty file name.
void OpenHelpFile(HWND owner, const std::string& helpFile, int32_t helpContext);

using HelpViewer = std::function<void(HWND owner, const std::string& helpFile, int32_t helpContext)>;

// Shows the box over owner (nullptr while the window is not shown) and
// returns when the user has closed it. The message's lone carriage returns
// break its lines.
void ShowErrorBox(HWND owner, const std::string& message, const std::string& helpFile, int32_t helpContext,
                  const HelpViewer& viewer);

}  // namespace gs
