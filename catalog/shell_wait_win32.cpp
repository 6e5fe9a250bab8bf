// Windows side of ShellWait: CreateProcessA and WaitForSingleObject.
#include <windows.h>

#include <vector>

#include "catalog/shell_wait.h"
#include "common/error.h"

namespace gs {

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68,
              "the startup information of a 32-bit program");

int32_t RunAndWait(const std::string& applicationName, const std::string& commandLine, int32_t windowStyle) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(windowStyle);
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  // The program is named on its own, so that a blank in its path cannot
  // make the system start a different one ("C:\Program.exe").
  if (!CreateProcessA(applicationName.c_str(), line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process)) {
    RaiseFileMissing(applicationName);
  }
  CloseHandle(process.hThread);
  DWORD exitCode = 0;
  const bool ended = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process.hProcess, &exitCode);
  const DWORD error = GetLastError();
  CloseHandle(process.hProcess);
  // Without the program's own exit code, its run cannot pass for a success.
  if (!ended) RaiseFileError(static_cast<int>(error), applicationName);
  return static_cast<int32_t>(exitCode);
}

}  // namespace gs
