// Kt06: starting the program loads its only window; there is no command line.
#include <objbase.h>

#include "window/kt_form.h"
#include "window/win32/kt_form_window.h"

namespace {

int RunKt06() {
  gs::KTformWindow view;
  gs::KTform form(view);
  if (!form.Form_Load()) return 0;
  view.Show();
  // The program ends when its window is gone: closed by the user or by the
  // error report, each from a message dispatched here.
  MSG message;
  while (view.Window() != nullptr && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageA(view.Window(), &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The window's thread is a single-threaded apartment, as OLE's picture
  // object and Word through COM want it.
  const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int exitCode = 0;
  try {
    exitCode = RunKt06();
  } catch (const gs::Error& e) {
    // Only a window that cannot be made ends here.
    ::MessageBoxA(nullptr, gs::ErrorMessage(e).c_str(), std::string(gs::kApplicationTitle).c_str(),
                  MB_OK | MB_ICONSTOP);
    exitCode = 1;
  }
  if (SUCCEEDED(apartment)) ::CoUninitialize();
  return exitCode;
}
