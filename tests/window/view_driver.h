// A user at a view of KTform, for the window tests that run against every
// view (view_driver_qt.cpp, view_driver_win32.cpp): the view itself, what
// the user sees of the window, and what the user does to it. Controls are
// named as the form's design names them.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/png_file.h"
#include "window/kt_form_view.h"

namespace gs::test {

struct Box {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool Contains(const Box& other) const {
    return other.left >= left && other.top >= top && other.left + other.width <= left + width &&
           other.top + other.height <= top + height;
  }
  // The width of the strip that two boxes share: 0 when they do not meet,
  // otherwise the smaller side of their intersection.
  int Overlap(const Box& other) const {
    const int across = std::min(left + width, other.left + other.width) - std::max(left, other.left);
    const int down = std::min(top + height, other.top + other.height) - std::max(top, other.top);
    return across > 0 && down > 0 ? std::min(across, down) : 0;
  }
};

class ViewDriver {
 public:
  virtual ~ViewDriver() = default;
  virtual KTformView& View() = 0;
  // The prefix of the screenshots' file names.
  virtual std::string ScreenshotName() const = 0;

  // What the user sees.
  virtual std::string Caption() = 0;
  virtual bool HasIcon() = 0;
  virtual bool Resizable() = 0;
  virtual double DotsPerInch() = 0;
  virtual Box ClientArea() = 0;
  // A control's place in the client area; an empty box for a name the
  // window does not have.
  virtual Box Geometry(std::string_view control) = 0;
  // The controls the keyboard focus visits with Tab, from the first.
  virtual std::vector<std::string> FocusOrder(std::string_view first, size_t count) = 0;
  virtual bool Editable(std::string_view combo) = 0;
  virtual bool Shown() = 0;
  // Whether the line of the status list List1 is in view, whole.
  virtual bool LineInView(int line) = 0;
  virtual Screenshot Capture() = 0;

  // What the user does. A disabled control takes no click.
  virtual void Click(std::string_view control) = 0;
  virtual void Pick(std::string_view combo, int index) = 0;
  virtual void Type(std::string_view combo, const std::string& text) = 0;
  // The down arrow key in the combo box's text field.
  virtual void PressDown(std::string_view combo) = 0;
  // Whether the combo box's list opens when the user asks for it; it is
  // closed again.
  virtual bool OpenList(std::string_view combo) = 0;
  // Closes the window as the user does; true when it went.
  virtual bool CloseByUser() = 0;
};

// The view of the platform's program.
std::unique_ptr<ViewDriver> NewView();

}  // namespace gs::test
