// Windows: the system colours themselves.
#include <windows.h>

#include "window/palette.h"

namespace gs {

namespace {
QColor SystemColour(int index) {
  const COLORREF c = ::GetSysColor(index);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
}  // namespace

QColor StatusBackgroundColour() {
  return SystemColour(COLOR_INFOBK);
}
QColor StatusTextColour() {
  return SystemColour(COLOR_ACTIVECAPTION);
}

}  // namespace gs
