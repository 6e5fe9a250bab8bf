#include "window/qt/controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace gs {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

std::string CaptionLabel::Caption() const {
  return S(text());
}
void CaptionLabel::SetCaption(const std::string& caption) {
  setText(Q(caption));
}

LockableComboBox::LockableComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
}

void LockableComboBox::AddItem(const std::string& item) {
  addItem(Q(item));
}

std::string LockableComboBox::Item(int index) const {
  return S(itemText(index));
}

void LockableComboBox::SetListIndex(int index) {
  setCurrentIndex(index);
  if (index == -1) setEditText(QString());
}

std::string LockableComboBox::Text() const {
  return S(currentText());
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

StateCheckBox::StateCheckBox(QWidget* parent, bool tristate) : QCheckBox(parent) {
  setTristate(tristate);
}

std::string StateCheckBox::Caption() const {
  return S(text());
}
void StateCheckBox::SetCaption(const std::string& caption) {
  setText(Q(caption));
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
  setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void StateCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void StatusList::AddItem(const std::string& item) {
  addItem(Q(item));
}

std::string StatusList::Item(int index) const {
  const QListWidgetItem* line = item(index);
  return line != nullptr ? S(line->text()) : std::string();
}

void StatusList::SetItem(int index, const std::string& text) {
  item(index)->setText(Q(text));
}

void StatusList::SetTopIndex(int index) {
  scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

}  // namespace gs
