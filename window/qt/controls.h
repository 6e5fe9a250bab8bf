// The Qt controls of KTform, behaving as the window's users know them from
// the classic toolkit: a combo box that can be locked, check boxes whose
// third (greyed) state is set by the program, never by a click, and the
// status list.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <string_view>

#include "window/kt_form_view.h"

namespace gs {

class CaptionLabel : public QLabel, public Label {
  Q_OBJECT
 public:
  explicit CaptionLabel(QWidget* parent) : QLabel(parent) {}
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
};

class CommandButton : public QPushButton, public Control {
  Q_OBJECT
 public:
  explicit CommandButton(QWidget* parent) : QPushButton(parent) {}
  bool Enabled() const override { return isEnabled(); }
  void SetEnabled(bool enabled) override { setEnabled(enabled); }
};

// An editable drop-down combo box. Locked, it keeps its look but takes no
// change: the list does not open and the text cannot be edited.
class LockableComboBox : public QComboBox, public ComboBox {
  Q_OBJECT
 public:
  explicit LockableComboBox(QWidget* parent);
  void showPopup() override;

  bool Enabled() const override { return isEnabled(); }
  void SetEnabled(bool enabled) override { setEnabled(enabled); }
  void AddItem(const std::string& item) override;
  int ItemCount() const override { return count(); }
  std::string Item(int index) const override;
  int ListIndex() const override { return currentIndex(); }
  void SetListIndex(int index) override;
  std::string Text() const override;
  bool Locked() const override { return locked_; }
  void SetLocked(bool locked) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool locked_ = false;
};

// A check box with the values 0 (clear), 1 (checked) and 2 (greyed, with
// tristate). A click checks a clear or greyed box and clears a checked one.
class StateCheckBox : public QCheckBox, public CheckBox {
  Q_OBJECT
 public:
  StateCheckBox(QWidget* parent, bool tristate);

  bool Enabled() const override { return isEnabled(); }
  void SetEnabled(bool enabled) override { setEnabled(enabled); }
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  int Value() const override;
  void SetValue(int value) override;

 protected:
  void nextCheckState() override;
};

class StatusList : public QListWidget, public ListBox {
  Q_OBJECT
 public:
  explicit StatusList(QWidget* parent) : QListWidget(parent) {}
  void Clear() override { clear(); }
  void AddItem(const std::string& item) override;
  int ItemCount() const override { return count(); }
  std::string Item(int index) const override;
  void SetItem(int index, const std::string& item) override;
  void SetTopIndex(int index) override;
};

// Texts between the program (UTF-8) and Qt.
QString Q(std::string_view s);
std::string S(const QString& s);

}  // namespace gs
