// Desktops without system colours of their own: Qt's palette stands in; the
// active title bar takes the highlight colour, which most themes share with it.
#include <QApplication>
#include <QPalette>

#include "window/palette.h"

namespace gs {

QColor StatusBackgroundColour() {
  return QApplication::palette().color(QPalette::Active, QPalette::ToolTipBase);
}
QColor StatusTextColour() {
  return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

}  // namespace gs
