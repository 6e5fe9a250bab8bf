#include "window/win32/error_box.h"

#include <utility>

#include "catalog/command_line.h"
#include "common/text.h"
#include "window/form_design.h"

namespace gs {

namespace {

bool EndsWithChm(const std::string& path) {
  if (path.size() < 4) return false;
  return LowerAscii(path.substr(path.size() - 4)) == ".chm";
}

// The help of the box being shown: the message box's callback gets nothing
// of the caller's, and a thread shows one box at a time.
struct BoxHelp {
  HWND owner;
  const std::string& helpFile;
  int32_t helpContext;
  const HelpViewer& viewer;
};
thread_local const BoxHelp* t_shownBox = nullptr;

void CALLBACK HelpPressed(LPHELPINFO) {
  if (t_shownBox != nullptr) {
    t_shownBox->viewer(t_shownBox->owner, t_shownBox->helpFile, t_shownBox->helpContext);
  }
}

}  // namespace

void OpenHelpFile(HWND owner, const std::string& helpFile, int32_t helpContext) {
  if (helpFile.empty()) return;
  if (!EndsWithChm(helpFile)) {
    ::WinHelpA(owner != nullptr ? owner : ::GetDesktopWindow(), helpFile.c_str(),
               helpContext != 0 ? HELP_CONTEXT : HELP_FINDER, static_cast<ULONG_PTR>(helpContext));
    return;
  }
  std::string line = "hh.exe ";
  if (helpContext != 0) line += "-mapid " + std::to_string(helpContext) + " ";
  line += CommandLineArgument(helpFile);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
}

void ShowErrorBox(HWND owner, const std::string& message, const std::string& helpFile, int32_t helpContext,
                  const HelpViewer& viewer) {
  std::string text;
  for (size_t i = 0; i < message.size(); ++i) {
    text += message[i];
    if (message[i] == '\r' && (i + 1 == message.size() || message[i + 1] != '\n')) text += '\n';
  }
  const std::string title(kApplicationTitle);
  MSGBOXPARAMSA box{};
  box.cbSize = sizeof box;
  box.hwndOwner = owner;
  box.lpszText = text.c_str();
  box.lpszCaption = title.c_str();
  // Without an owner the box still keeps the program's other windows waiting.
  box.dwStyle = MB_OK | MB_HELP | (owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL);
  box.dwContextHelpId = static_cast<DWORD_PTR>(helpContext);
  box.lpfnMsgBoxCallback = &HelpPressed;
  const BoxHelp help{owner, helpFile, helpContext, viewer};
  const BoxHelp* outer = std::exchange(t_shownBox, &help);
  ::MessageBoxIndirectA(&box);
  t_shownBox = outer;
}

}  // namespace gs
