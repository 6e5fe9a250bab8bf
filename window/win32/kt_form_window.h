// The Win32 view of KTform: a top-level window of the class "Kt06" with the
// controls laid out from the form's design in the window's resolution, and
// the user's events handed to the form's handlers. The program's resources
// (icon, logo, manifest) come from window.rc, linked into the program.
#pragma once

#include <array>
#include <string_view>

#include "window/form_design.h"
#include "window/kt_form_view.h"
#include "window/win32/controls.h"
#include "window/win32/error_box.h"

namespace gs {

class KTformWindow : public KTformView {
 public:
  KTformWindow();
  ~KTformWindow() override;
  KTformWindow(const KTformWindow&) = delete;
  KTformWindow& operator=(const KTformWindow&) = delete;

  // The window; nullptr once it is closed.
  HWND Window() const { return hwnd_; }
  // The window of a control of the design, by its name.
  HWND ControlWindow(std::string_view name) const;

  // How the error box reaches the help viewer; tests give their own.
  HelpViewer OpenHelp = OpenHelpFile;

  // KTformView
  Label& Label1() override { return label1_; }
  CheckBox& Check1() override { return check1_; }
  CheckBox& Check2() override { return check2_; }
  ComboBox& Combo1() override { return combo1_; }
  ComboBox& Combo2() override { return combo2_; }
  ListBox& List1() override { return list1_; }
  Control& Command1() override { return command1_; }
  Control& Command2() override { return command2_; }
  Control& Command3() override { return command3_; }
  void Attach(KTform* form) override { form_ = form; }
  void Show() override;
  void Close() override;
  void SetBusy(bool busy) override;
  void ShowErrorBox(const std::string& message, const std::string& helpFile, int32_t helpContext) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  // Sizes the window and places the controls for a resolution.
  void LayOut(UINT dpi);
  void Notified(HWND control, UINT code);
  void Draw(const DRAWITEMSTRUCT& item);
  void Run(void (KTform::*handler)());
  void RunUserChange(void (KTform::*handler)());

  HWND hwnd_ = nullptr;
  std::array<HWND, std::size(kFormControls)> controls_{};
  HFONT font_ = nullptr;
  // The logo at the size of Image1.
  HBITMAP logo_ = nullptr;
  bool busy_ = false;
  KTform* form_ = nullptr;

  Win32Label label1_;
  Win32CheckBox check1_;
  Win32CheckBox check2_;
  Win32ComboBox combo1_;
  Win32ComboBox combo2_;
  Win32ListBox list1_;
  Win32Button command1_;
  Win32Button command2_;
  Win32Button command3_;
};

}  // namespace gs
