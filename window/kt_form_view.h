// What KTform's handlers touch of the window, as a view shows it (Qt on
// Linux, Win32 on Windows): the controls by the names the system uses, with
// only the properties the handlers read and set, and the window itself. Texts
// are in the program's own encoding (UTF-8; the ANSI code page on Windows).
#pragma once

#include <cstdint>
#include <string>

namespace gs {

class KTform;

// A control that can be enabled and disabled (the buttons Command1..Command3).
class Control {
 public:
  virtual ~Control() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// The version label Label1.
class Label {
 public:
  virtual ~Label() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

// Check1 and Check2. Their value: 0 clear, 1 checked, 2 greyed (only Check2
// is ever greyed; a click never greys it).
class CheckBox : public Control {
 public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;
};

// Combo1 and Combo2: an editable drop-down list. Locked, it takes no change
// from the user: the list does not open and the text cannot be edited.
class ComboBox : public Control {
 public:
  virtual void AddItem(const std::string& item) = 0;
  virtual int ItemCount() const = 0;
  virtual std::string Item(int index) const = 0;
  // The selected entry; -1 for none, which also empties the text field.
  virtual int ListIndex() const = 0;
  virtual void SetListIndex(int index) = 0;
  // The text field, picked or typed.
  virtual std::string Text() const = 0;
  virtual bool Locked() const = 0;
  virtual void SetLocked(bool locked) = 0;
};

// The status list List1.
class ListBox {
 public:
  virtual ~ListBox() = default;
  virtual void Clear() = 0;
  virtual void AddItem(const std::string& item) = 0;
  virtual int ItemCount() const = 0;
  virtual std::string Item(int index) const = 0;
  // Replaces the text of an existing line.
  virtual void SetItem(int index, const std::string& item) = 0;
  // Scrolls the list so that line index is the first in view, or as near to
  // that as its end allows: a line near the end comes into view at the bottom.
  virtual void SetTopIndex(int index) = 0;
};

class KTformView {
 public:
  virtual ~KTformView() = default;

  virtual Label& Label1() = 0;
  virtual CheckBox& Check1() = 0;
  virtual CheckBox& Check2() = 0;
  virtual ComboBox& Combo1() = 0;
  virtual ComboBox& Combo2() = 0;
  virtual ListBox& List1() = 0;
  virtual Control& Command1() = 0;
  virtual Control& Command2() = 0;
  virtual Control& Command3() = 0;

  // The form whose handlers the view's events run; nullptr detaches it.
  virtual void Attach(KTform* form) = 0;
  // Shows the window.
  virtual void Show() = 0;
  // Closes the window, shown or not. Closing runs the form's Closing() once
  // before the window goes, as a close by the user does.
  virtual void Close() = 0;
  // The busy cursor over the whole program while a step runs.
  virtual void SetBusy(bool busy) = 0;
  // The error report's message box: modal, OK and Help, no icon, the
  // application title in its title bar. Help opens the help file at the
  // context when there is a help file.
  virtual void ShowErrorBox(const std::string& message, const std::string& helpFile, int32_t helpContext) = 0;
};

}  // namespace gs
