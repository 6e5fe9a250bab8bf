#include "tests/support/virtual_display.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace gs::testing {

VirtualDisplay::VirtualDisplay() {
  int fds[2];
  if (::pipe(fds) != 0) return;
  const std::string fd = std::to_string(fds[1]);
  xvfb_ = ::fork();
  if (xvfb_ == 0) {
    ::close(fds[0]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
             nullptr);
    ::_exit(127);
  }
  ::close(fds[1]);
  // Xvfb writes the number and then a line end, and ends itself when it
  // cannot: the pipe stays open for as long as the server runs.
  displayPipe_ = fds[0];
  std::string number;
  char c;
  while (::read(displayPipe_, &c, 1) == 1 && c != '\n') number += c;
  if (number.empty()) return;
  display_ = ":" + number;
  ::setenv("DISPLAY", display_.c_str(), 1);
  windowManager_ = ::fork();
  if (windowManager_ == 0) {
    ::execlp("openbox", "openbox", "--sm-disable", nullptr);
    ::_exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

VirtualDisplay::~VirtualDisplay() {
  for (const pid_t pid : {windowManager_, xvfb_}) {
    if (pid <= 0) continue;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
  if (displayPipe_ >= 0) ::close(displayPipe_);
}

}  // namespace gs::testing
