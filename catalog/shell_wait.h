// ShellWait: starts a program with a command line and waits until it ends
// (shell_wait_posix.cpp, shell_wait_win32.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace gs {

// Starts the program at applicationName with commandLine (whose first part
// names the program again, as its argv[0]), with inherited handles, the
// caller's environment and folder and the given show-window value (0 hides
// the window; no meaning on POSIX, where the line is split by the Windows
// rules). Waits without a time limit and returns the program's exit code;
// a program ended by a signal gives 128 plus the signal's number.
// Raises error 53 "The file "<applicationName>" does not exist or cannot be
// read." when the program cannot be started.
int32_t RunAndWait(const std::string& applicationName, const std::string& commandLine, int32_t windowStyle);

// Raises error 53 with the description "The file "<path>" does not exist or
// cannot be read.", for an archive or a program that is not there.
[[noreturn]] void RaiseFileMissing(const std::string& path);

}  // namespace gs
