// An Xvfb server with the openbox window manager on it, started by tests that
// show windows, so that they run the same on machines without a display.
// DISPLAY points at it while it runs.
#pragma once

#include <sys/types.h>

#include <string>

namespace gs::testing {

class VirtualDisplay {
 public:
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  bool Ready() const { return !display_.empty(); }
  const std::string& Name() const { return display_; }

 private:
  pid_t xvfb_ = -1;
  pid_t windowManager_ = -1;
  int displayPipe_ = -1;
  std::string display_;
};

}  // namespace gs::testing
