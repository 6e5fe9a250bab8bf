// The status list's colours from the platform's palette (palette_posix.cpp,
// palette_win32.cpp): the tooltip background, and the active title bar's colour
// for the text.
#pragma once

#include <QColor>

namespace gs {

QColor StatusBackgroundColour();
QColor StatusTextColour();

}  // namespace gs
