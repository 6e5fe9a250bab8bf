// The Win32 controls of KTform behind the view's control interfaces: each
// wraps the window of one control, made by KTformWindow. A locked combo box
// keeps its look but takes no change from the user: its text field is read
// only, and neither keys, the wheel nor the mouse open its list or move its
// selection.
#pragma once

#include <windows.h>

#include <string>

#include "window/kt_form_view.h"

namespace gs {

// The text of a window, in the ANSI code page.
std::string WindowText(HWND hwnd);

class Win32Label : public Label {
 public:
  HWND hwnd = nullptr;
  std::string Caption() const override { return WindowText(hwnd); }
  void SetCaption(const std::string& caption) override;
};

class Win32Button : public Control {
 public:
  HWND hwnd = nullptr;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
};

// BS_3STATE buttons: the program decides what a click does (Clicked).
class Win32CheckBox : public CheckBox {
 public:
  HWND hwnd = nullptr;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  std::string Caption() const override { return WindowText(hwnd); }
  void SetCaption(const std::string& caption) override;
  int Value() const override;
  void SetValue(int value) override;
  // A click checks a clear or greyed box and clears a checked one.
  void Clicked() { SetValue(Value() == 1 ? 0 : 1); }
};

class Win32ComboBox : public ComboBox {
 public:
  // Takes over the combo box window (CBS_DROPDOWN) and its text field.
  void Attach(HWND combo);
  HWND hwnd = nullptr;
  HWND edit = nullptr;

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  void AddItem(const std::string& item) override;
  int ItemCount() const override;
  std::string Item(int index) const override;
  int ListIndex() const override;
  void SetListIndex(int index) override;
  std::string Text() const override { return WindowText(hwnd); }
  bool Locked() const override { return locked_; }
  void SetLocked(bool locked) override;

 private:
  static LRESULT CALLBACK Refuse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
  bool locked_ = false;
};

class Win32ListBox : public ListBox {
 public:
  HWND hwnd = nullptr;
  void Clear() override;
  void AddItem(const std::string& item) override;
  int ItemCount() const override;
  std::string Item(int index) const override;
  void SetItem(int index, const std::string& item) override;
  void SetTopIndex(int index) override;
  // Lets the list scroll sideways as far as its widest line needs, in its
  // font; again after the font changes.
  void FitWidth();
};

}  // namespace gs
