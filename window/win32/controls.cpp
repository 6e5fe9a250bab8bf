#include "window/win32/controls.h"

#include <commctrl.h>

#include <algorithm>

namespace gs {

std::string WindowText(HWND hwnd) {
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

namespace {

// Enables or disables a control. A control that loses the keyboard focus
// with it passes the focus on in the tab order, as dialogs do.
void Enable(HWND control, bool enabled) {
  if (!enabled && ::GetFocus() == control) {
    const HWND window = ::GetParent(control);
    const HWND next = ::GetNextDlgTabItem(window, control, FALSE);
    ::SetFocus(next != control ? next : window);
  }
  ::EnableWindow(control, enabled);
}

// An entry of a list (LB_GETTEXTLEN and LB_GETTEXT, or the combo box's own).
std::string ListItem(HWND list, UINT lengthMessage, UINT textMessage, int index) {
  const LRESULT length = ::SendMessageA(list, lengthMessage, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(
      ::SendMessageA(list, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

}  // namespace

void Win32Label::SetCaption(const std::string& caption) {
  ::SetWindowTextA(hwnd, caption.c_str());
}

bool Win32Button::Enabled() const {
  return ::IsWindowEnabled(hwnd) != FALSE;
}
void Win32Button::SetEnabled(bool enabled) {
  Enable(hwnd, enabled);
}

bool Win32CheckBox::Enabled() const {
  return ::IsWindowEnabled(hwnd) != FALSE;
}
void Win32CheckBox::SetEnabled(bool enabled) {
  Enable(hwnd, enabled);
}
void Win32CheckBox::SetCaption(const std::string& caption) {
  ::SetWindowTextA(hwnd, caption.c_str());
}

int Win32CheckBox::Value() const {
  switch (::SendMessageA(hwnd, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return 1;
    case BST_INDETERMINATE: return 2;
    default: return 0;
  }
}

void Win32CheckBox::SetValue(int value) {
  ::SendMessageA(hwnd, BM_SETCHECK,
                 value == 0   ? BST_UNCHECKED
                 : value == 1 ? BST_CHECKED
                              : BST_INDETERMINATE,
                 0);
}

void Win32ComboBox::Attach(HWND combo) {
  hwnd = combo;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (::GetComboBoxInfo(combo, &info)) edit = info.hwndItem;
  ::SetWindowSubclass(hwnd, &Win32ComboBox::Refuse, 1, reinterpret_cast<DWORD_PTR>(this));
  if (edit != nullptr)
    ::SetWindowSubclass(edit, &Win32ComboBox::Refuse, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32ComboBox::Refuse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
  const auto& combo = *reinterpret_cast<const Win32ComboBox*>(self);
  if (combo.locked_) {
    const bool textField = hwnd == combo.edit;
    switch (message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        // Arrow and page keys pick another entry, F4 and Alt+arrow open the
        // list; Home and End do so too outside the text field. Tab moves on.
        if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT ||
            wParam == VK_F4 || (!textField && (wParam == VK_HOME || wParam == VK_END))) {
          return 0;
        }
        break;
      case WM_MOUSEWHEEL: return 0;  // picks entries
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        // A click on the button opens the list; one into the text field
        // still places the caret.
        if (!textField) return 0;
        break;
      case CB_SHOWDROPDOWN:
        if (wParam != FALSE) return TRUE;
        break;
      default: break;
    }
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

bool Win32ComboBox::Enabled() const {
  return ::IsWindowEnabled(hwnd) != FALSE;
}
void Win32ComboBox::SetEnabled(bool enabled) {
  Enable(hwnd, enabled);
}

void Win32ComboBox::AddItem(const std::string& item) {
  ::SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int Win32ComboBox::ItemCount() const {
  return static_cast<int>(::SendMessageA(hwnd, CB_GETCOUNT, 0, 0));
}

std::string Win32ComboBox::Item(int index) const {
  return ListItem(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int Win32ComboBox::ListIndex() const {
  return static_cast<int>(::SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
}

void Win32ComboBox::SetListIndex(int index) {
  // -1 clears the selection and the text field.
  ::SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32ComboBox::SetLocked(bool locked) {
  locked_ = locked;
  if (edit != nullptr) ::SendMessageA(edit, EM_SETREADONLY, locked, 0);
}

void Win32ListBox::Clear() {
  ::SendMessageA(hwnd, LB_RESETCONTENT, 0, 0);
  FitWidth();
}

void Win32ListBox::AddItem(const std::string& item) {
  ::SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  FitWidth();
}

int Win32ListBox::ItemCount() const {
  return static_cast<int>(::SendMessageA(hwnd, LB_GETCOUNT, 0, 0));
}

std::string Win32ListBox::Item(int index) const {
  return ListItem(hwnd, LB_GETTEXTLEN, LB_GETTEXT, index);
}

void Win32ListBox::SetItem(int index, const std::string& item) {
  ::SendMessageA(hwnd, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  ::SendMessageA(hwnd, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.c_str()));
  FitWidth();
}

void Win32ListBox::FitWidth() {
  const HDC dc = ::GetDC(hwnd);
  const HGDIOBJ oldFont =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (int i = 0; i < ItemCount(); ++i) {
    const std::string text = Item(i);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    widest = std::max(widest, size.cx);
  }
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(hwnd, dc);
  // With room for the few pixels the list box leaves before each line; a
  // list no wider than its box shows no scroll bar.
  ::SendMessageA(hwnd, LB_SETHORIZONTALEXTENT,
                 static_cast<WPARAM>(widest + 4 * ::GetSystemMetrics(SM_CXBORDER)), 0);
}

void Win32ListBox::SetTopIndex(int index) {
  // The list box scrolls no further than its last line allows.
  ::SendMessageA(hwnd, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

}  // namespace gs
