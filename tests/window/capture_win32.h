// Windows of the tests under Windows (or Wine on a virtual display): a
// screenshot of a window's client area as the screen shows it, and finding
// the windows another program shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/png_file.h"

namespace gs::test {

// Raises the window and lets it paint (its own messages are handled, another
// program's are given time), then copies its client area from the screen.
Screenshot CaptureClientArea(HWND hwnd);

// The visible top-level windows of a process with the given class name.
std::vector<HWND> TopLevelWindows(::DWORD processId, const std::string& className);

// The child windows of a window with the given class name, in z-order.
std::vector<HWND> ChildWindows(HWND parent, const std::string& className);

std::string ClassNameOf(HWND hwnd);

}  // namespace gs::test
