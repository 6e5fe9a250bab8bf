// The user at the Win32 view: the messages that a user's input makes the
// system send, sent to the controls of the view.
#include "tests/window/capture_win32.h"
#include "tests/window/view_driver.h"
#include "window/win32/kt_form_window.h"

namespace gs::test {

namespace {

class Win32ViewDriver : public ViewDriver {
 public:
  KTformView& View() override { return view_; }
  std::string ScreenshotName() const override { return "kt06-win32-"; }

  std::string Caption() override { return WindowText(view_.Window()); }
  bool HasIcon() override { return ::GetClassLongPtrA(view_.Window(), GCLP_HICON) != 0; }
  bool Resizable() override {
    return (::GetWindowLongA(view_.Window(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX)) != 0;
  }
  double DotsPerInch() override {
    const HDC dc = ::GetDC(view_.Window());
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(view_.Window(), dc);
    return dpi;
  }
  Box ClientArea() override {
    RECT r{};
    ::GetClientRect(view_.Window(), &r);
    return {0, 0, r.right, r.bottom};
  }
  Box Geometry(std::string_view control) override {
    RECT r{};
    ::GetWindowRect(view_.ControlWindow(control), &r);
    ::MapWindowPoints(nullptr, view_.Window(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  std::vector<std::string> FocusOrder(std::string_view first, size_t count) override {
    std::vector<std::string> names;
    for (HWND h = view_.ControlWindow(first); h != nullptr && names.size() < count;
         h = ::GetNextDlgTabItem(view_.Window(), h, FALSE)) {
      names.push_back(NameOf(h));
    }
    return names;
  }
  bool Editable(std::string_view combo) override {
    return (::GetWindowLongA(view_.ControlWindow(combo), GWL_STYLE) & 3) == CBS_DROPDOWN;
  }
  bool Shown() override { return view_.Window() != nullptr && ::IsWindowVisible(view_.Window()); }
  bool LineInView(int line) override {
    const HWND list = view_.ControlWindow("List1");
    RECT item{}, client{};
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item));
    ::GetClientRect(list, &client);
    return item.top >= client.top && item.bottom <= client.bottom;
  }
  Screenshot Capture() override { return CaptureClientArea(view_.Window()); }

  void Click(std::string_view control) override {
    const HWND button = view_.ControlWindow(control);
    if (::IsWindowEnabled(button)) ::SendMessageA(button, BM_CLICK, 0, 0);
  }
  void Pick(std::string_view name, int index) override {
    // The combo box notifies its window of a pick from its list.
    const HWND combo = view_.ControlWindow(name);
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(view_.Window(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
  }
  void Type(std::string_view name, const std::string& text) override {
    const HWND edit = TextField(name);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char c : text) ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void PressDown(std::string_view name) override { ::SendMessageA(TextField(name), WM_KEYDOWN, VK_DOWN, 1); }
  bool OpenList(std::string_view name) override {
    const HWND combo = view_.ControlWindow(name);
    ::SendMessageA(TextField(name), WM_KEYDOWN, VK_F4, 1);
    const bool open = ::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    return open;
  }
  bool CloseByUser() override {
    ::SendMessageA(view_.Window(), WM_CLOSE, 0, 0);
    return view_.Window() == nullptr;
  }

 private:
  HWND TextField(std::string_view combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(view_.ControlWindow(combo), &info);
    return info.hwndItem;
  }
  std::string NameOf(HWND control) {
    for (const ControlDesign& design : kFormControls) {
      if (view_.ControlWindow(design.name) == control) return std::string(design.name);
    }
    return "?";
  }

  KTformWindow view_;
};

}  // namespace

std::unique_ptr<ViewDriver> NewView() {
  return std::make_unique<Win32ViewDriver>();
}

}  // namespace gs::test
