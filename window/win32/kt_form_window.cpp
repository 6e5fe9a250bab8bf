#include "window/win32/kt_form_window.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "window/kt_form.h"
#include "window/win32/resource.h"

namespace gs {

namespace {

constexpr int kFirstControlId = 100;

// The resolution functions of newer Windows (10, version 1607), looked up at
// run time so that the program starts on older ones, which give the system's
// resolution instead.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;

  DpiFunctions() {
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    Find(user32, "GetDpiForWindow", getDpiForWindow);
    Find(user32, "AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
    Find(user32, "SystemParametersInfoForDpi", systemParametersInfoForDpi);
  }
  template <typename Function>
  static void Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  }
  static const DpiFunctions& Get() {
    static const DpiFunctions functions;
    return functions;
  }
};

UINT SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT DpiOf(HWND hwnd) {
  const DpiFunctions& f = DpiFunctions::Get();
  return f.getDpiForWindow != nullptr ? f.getDpiForWindow(hwnd) : SystemDpi();
}

// The system's font for dialogs and messages, in the given resolution.
HFONT MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const DpiFunctions& f = DpiFunctions::Get();
  if (f.systemParametersInfoForDpi != nullptr) {
    f.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
  } else if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfMessageFont.lfHeight =
        ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  }
  return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

// The window class and styles of each kind of control.
struct ControlClass {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(const ControlDesign& design) {
  switch (design.kind) {
    case ControlKind::Picture: return {"STATIC", SS_OWNERDRAW | WS_CLIPSIBLINGS, 0};
    // The version label is drawn over the logo, by the window.
    case ControlKind::Label:
      return {"STATIC", design.name == "Label1" ? DWORD{SS_OWNERDRAW} : DWORD{SS_LEFT}, 0};
    // Frames paint their inside too: they lie below everything else and
    // leave out what lies over them.
    case ControlKind::Frame: return {"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
    case ControlKind::CheckBox: return {"BUTTON", BS_3STATE | WS_TABSTOP, 0};
    case ControlKind::ComboBox:
      return {"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::ListBox:
      return {"LISTBOX", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Button: return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
  }
  return {"STATIC", 0, 0};
}

// The order in which the controls lie, top first: those that take the focus
// in their tab order (the dialog manager's Tab follows it), then the labels,
// the picture under the version label, and the frames at the bottom.
int Layer(const ControlDesign& design) {
  switch (design.kind) {
    case ControlKind::Label: return 1;
    case ControlKind::Picture: return 2;
    case ControlKind::Frame: return 3;
    default: return 0;
  }
}

// The logo as the program carries it (a JPEG image), decoded by OLE's picture
// object and drawn at the given size.
HBITMAP LoadLogo(int width, int height) {
  const HMODULE module = ::GetModuleHandleA(nullptr);
  const HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_LOGO), RT_RCDATA);
  if (found == nullptr) return nullptr;
  const DWORD size = ::SizeofResource(module, found);
  const void* data = ::LockResource(::LoadResource(module, found));
  const HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (data == nullptr || copy == nullptr) return nullptr;
  std::memcpy(::GlobalLock(copy), data, size);
  ::GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, &stream))) {
    ::GlobalFree(copy);
    return nullptr;
  }
  IPicture* picture = nullptr;
  const HRESULT loaded = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded) || picture == nullptr) return nullptr;
  OLE_XSIZE_HIMETRIC pictureWidth = 0;
  OLE_YSIZE_HIMETRIC pictureHeight = 0;
  picture->get_Width(&pictureWidth);
  picture->get_Height(&pictureHeight);
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::SetStretchBltMode(memory, HALFTONE);
  // The picture's source rectangle runs upwards from its bottom edge.
  picture->Render(memory, 0, 0, width, height, 0, pictureHeight, pictureWidth, -pictureHeight, nullptr);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  picture->Release();
  return bitmap;
}

// Fixed in size, as the layout is. The window paints its background under the
// frames, which leave their inside to it.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

void RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
  const std::string className(kFormClass);
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(instance, className.c_str(), &existing)) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hIcon =
      static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_KT06), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm =
      static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_KT06), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className.c_str();
  ::RegisterClassExA(&windowClass);
}

}  // namespace

KTformWindow::KTformWindow() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  RegisterWindowClass(instance, &KTformWindow::WindowProc);
  const std::string caption(kFormCaption);
  ::CreateWindowExA(0, std::string(kFormClass).c_str(), caption.c_str(), kWindowStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) {
    RaiseRuntime(rt::InternalError,
                 "the window could not be made, error " + std::to_string(::GetLastError()));
  }
  CreateControls();
  LayOut(DpiOf(hwnd_));
}

KTformWindow::~KTformWindow() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  if (font_ != nullptr) ::DeleteObject(font_);
  if (logo_ != nullptr) ::DeleteObject(logo_);
}

HWND KTformWindow::ControlWindow(std::string_view name) const {
  return controls_[static_cast<size_t>(&DesignOf(name) - kFormControls)];
}

void KTformWindow::CreateControls() {
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& design : kFormControls) order.push_back(&design);
  std::stable_sort(order.begin(), order.end(), [](const ControlDesign* a, const ControlDesign* b) {
    if (Layer(*a) != Layer(*b)) return Layer(*a) < Layer(*b);
    return Layer(*a) == 0 && a->tabIndex < b->tabIndex;
  });
  for (const ControlDesign* design : order) {
    const size_t index = static_cast<size_t>(design - kFormControls);
    const ControlClass cls = ClassOf(*design);
    const HWND control = ::CreateWindowExA(
        cls.exStyle, cls.className, std::string(design->caption).c_str(), WS_CHILD | WS_VISIBLE | cls.style,
        0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), nullptr,
        nullptr);
    // Each new control goes below the ones before it.
    ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    controls_[index] = control;
  }
  label1_.hwnd = ControlWindow("Label1");
  check1_.hwnd = ControlWindow("Check1");
  check2_.hwnd = ControlWindow("Check2");
  combo1_.Attach(ControlWindow("Combo1"));
  combo2_.Attach(ControlWindow("Combo2"));
  list1_.hwnd = ControlWindow("List1");
  command1_.hwnd = ControlWindow("Command1");
  command2_.hwnd = ControlWindow("Command2");
  command3_.hwnd = ControlWindow("Command3");
}

void KTformWindow::LayOut(UINT dpi) {
  const Twips tw(dpi);
  RECT frame{0, 0, tw(kFormWidth), tw(kFormHeight)};
  const DpiFunctions& f = DpiFunctions::Get();
  if (f.adjustWindowRectExForDpi != nullptr) {
    f.adjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi);
  } else {
    ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  }
  ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const HFONT font = MessageFont(dpi);
  for (size_t i = 0; i < std::size(kFormControls); ++i) {
    const ControlDesign& design = kFormControls[i];
    int left = tw(design.left);
    int top = tw(design.top);
    if (!design.container.empty()) {
      // Controls in a frame are the window's own children, placed inside it.
      const ControlDesign& container = DesignOf(design.container);
      left += tw(container.left);
      top += tw(container.top);
    }
    int height = tw(design.height);
    // A combo box's window holds its list as well: room for all entries.
    if (design.kind == ControlKind::ComboBox) height *= 8;
    ::SetWindowPos(controls_[i], nullptr, left, top, tw(design.width), height, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = font;
  list1_.FitWidth();

  const ControlDesign& image = DesignOf("Image1");
  if (logo_ != nullptr) ::DeleteObject(logo_);
  logo_ = LoadLogo(tw(image.width), tw(image.height));
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK KTformWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<KTformWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<KTformWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->hwnd_ = nullptr;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT KTformWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // While a step runs, messages reach the window only from other programs
      // (the word processor's calls let through nothing of the user's): the
      // step runs to its end before the window reacts.
      if (lParam != 0 && !busy_) Notified(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_DRAWITEM: Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lParam) == list1_.hwnd) {
        // The status list in the colours of tooltips, its text in the
        // active title bar's colour.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_ACTIVECAPTION));
        ::SetBkColor(dc, ::GetSysColor(COLOR_INFOBK));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_INFOBK));
      }
      break;
    case WM_SETCURSOR:
      if (busy_) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_DPICHANGED: {
      LayOut(HIWORD(wParam));
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      if (!busy_) Close();
      return 0;
    default: break;
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

void KTformWindow::Notified(HWND control, UINT code) {
  if (code == BN_CLICKED) {
    if (control == command1_.hwnd) {
      Run(&KTform::Command1_Click);
    } else if (control == command2_.hwnd) {
      Run(&KTform::Command2_Click);
    } else if (control == command3_.hwnd) {
      Run(&KTform::Command3_Click);
    } else if (control == check1_.hwnd) {
      check1_.Clicked();
    } else if (control == check2_.hwnd) {
      check2_.Clicked();
      RunUserChange(&KTform::Check2_Click);
    }
  } else if (code == CBN_SELCHANGE) {
    if (control == combo1_.hwnd) {
      RunUserChange(&KTform::Combo1_Click);
    } else if (control == combo2_.hwnd) {
      RunUserChange(&KTform::Combo2_Click);
    }
  }
}

void KTformWindow::Draw(const DRAWITEMSTRUCT& item) {
  const HWND image = ControlWindow("Image1");
  if (item.hwndItem != image && item.hwndItem != label1_.hwnd) return;
  // Both show the logo: Image1 all of it, the version label the part it
  // lies over, with its text on top.
  const RECT& r = item.rcItem;
  if (logo_ != nullptr) {
    POINT origin{0, 0};
    ::MapWindowPoints(item.hwndItem, image, &origin, 1);
    const HDC memory = ::CreateCompatibleDC(item.hDC);
    const HGDIOBJ old = ::SelectObject(memory, logo_);
    ::BitBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, origin.x + r.left,
             origin.y + r.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
  }
  if (item.hwndItem == label1_.hwnd) {
    std::string text = label1_.Caption();
    RECT textRect = r;
    const HGDIOBJ oldFont = ::SelectObject(item.hDC, font_);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(255, 255, 255));
    ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(item.hDC, oldFont);
  }
}

void KTformWindow::Run(void (KTform::*handler)()) {
  if (form_ != nullptr) (form_->*handler)();
}

void KTformWindow::RunUserChange(void (KTform::*handler)()) {
  if (form_ != nullptr) form_->UserChange(handler);
}

void KTformWindow::Show() {
  ::ShowWindow(hwnd_, SW_SHOWDEFAULT);
  ::UpdateWindow(hwnd_);
  if (const HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE)) ::SetFocus(first);
}

void KTformWindow::Close() {
  if (hwnd_ == nullptr) return;
  if (form_ != nullptr) form_->Closing();
  ::DestroyWindow(hwnd_);
}

void KTformWindow::SetBusy(bool busy) {
  busy_ = busy;
  ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void KTformWindow::ShowErrorBox(const std::string& message, const std::string& helpFile,
                                int32_t helpContext) {
  const HWND owner = hwnd_ != nullptr && ::IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
  gs::ShowErrorBox(owner, message, helpFile, helpContext, OpenHelp);
}

}  // namespace gs
