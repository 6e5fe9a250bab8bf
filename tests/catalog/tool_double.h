// A stand-in for the archive tool in the bridge's tests. It reads what to do
// from the file "double.do" in its own folder, one instruction a line:
//
//   args            writes its arguments after the first, each as "[arg]",
//                   into the file named by the first
//   write N TEXT    writes TEXT into the file named by argument N
//   touch PATH      creates the file PATH
//   startup PATH    writes how it was asked to show its window into PATH
//   exit N          ends with exit code N (0 to 4294967295)
//
// Without an exit instruction it ends with 0.
#pragma once

#include <string>

namespace gs::test {

inline constexpr const char* kToolDoubleScript = "double.do";

// How the program was asked to show its window: "flags F show S" from the
// startup information on Windows; empty where there is no such thing.
std::string StartupWindowState();

}  // namespace gs::test
