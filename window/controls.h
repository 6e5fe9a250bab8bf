// Controls that behave as the window's users know them from their platform's
// classic toolkit: a combo box that can be locked, and a check box whose third
// (greyed) state is set by the program, never by a click.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

namespace gs {

// An editable drop-down combo box. Locked, it keeps its look but takes no
// change: the list does not open and the text cannot be edited.
class LockableComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit LockableComboBox(QWidget* parent);
  void SetLocked(bool locked);
  bool Locked() const { return locked_; }
  void showPopup() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool locked_ = false;
};

// A check box with the states 0 (clear), 1 (checked) and 2 (greyed). A click
// checks a clear or greyed box and clears a checked one.
class StateCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit StateCheckBox(QWidget* parent);
  int Value() const;
  // Raises error 380 for a value other than 0, 1 or 2.
  void SetValue(int value);

 protected:
  void nextCheckState() override;
};

// The status list: line n replaced, or added when the list has exactly n lines.
class StatusList : public QListWidget {
  Q_OBJECT
 public:
  explicit StatusList(QWidget* parent);
  void SetLine(int n, const QString& text);
  void AddLine(const QString& text);
  QStringList Lines() const;
};

}  // namespace gs
