#include "window/controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

#include "common/error.h"

namespace gs {

LockableComboBox::LockableComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}

void LockableComboBox::SetLocked(bool locked) {
  locked_ = locked;
  lineEdit()->setReadOnly(locked);
}

void LockableComboBox::showPopup() {
  if (!locked_) QComboBox::showPopup();
}

void LockableComboBox::keyPressEvent(QKeyEvent* event) {
  // Arrow and page keys would pick another entry.
  if (locked_ && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab) {
    event->ignore();
    return;
  }
  QComboBox::keyPressEvent(event);
}

void LockableComboBox::wheelEvent(QWheelEvent* event) {
  if (locked_) {
    event->ignore();
    return;
  }
  QComboBox::wheelEvent(event);
}

StateCheckBox::StateCheckBox(QWidget* parent) : QCheckBox(parent) {
  setTristate(true);
}

int StateCheckBox::Value() const {
  switch (checkState()) {
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: break;
  }
  return 2;
}

void StateCheckBox::SetValue(int value) {
  switch (value) {
    case 0: setCheckState(Qt::Unchecked); break;
    case 1: setCheckState(Qt::Checked); break;
    case 2: setCheckState(Qt::PartiallyChecked); break;
    default: RaiseRuntime(rt::InvalidPropertyValue);
  }
}

void StateCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

StatusList::StatusList(QWidget* parent) : QListWidget(parent) {}

void StatusList::SetLine(int n, const QString& text) {
  if (n < count()) {
    item(n)->setText(text);
  } else if (n == count()) {
    addItem(text);
  } else {
    RaiseRuntime(rt::InvalidPropertyValue);
  }
}

void StatusList::AddLine(const QString& text) {
  addItem(text);
}

QStringList StatusList::Lines() const {
  QStringList lines;
  for (int i = 0; i < count(); ++i) lines << item(i)->text();
  return lines;
}

}  // namespace gs
