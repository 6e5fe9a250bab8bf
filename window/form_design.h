// The design of KTform, as its views lay it out: caption, class, size and the
// controls with their containers, captions and positions. Positions are in
// twips (1/1440 inch) from the top-left corner of the control's container:
// the window's client area, or the inside of a frame.
#pragma once

#include <string_view>
#include <vector>

namespace gs {

inline constexpr std::string_view kFormCaption = "KT06 - Glossmith for EA NHL06";
// The window's class as the window system knows it (X11's WM_CLASS, the
// Windows window class): the program's name.
inline constexpr std::string_view kFormClass = "Kt06";
// The application title that stands in the title bar of the error box.
inline constexpr std::string_view kApplicationTitle = "KT06";

// The client area.
inline constexpr int kFormWidth = 9120;
inline constexpr int kFormHeight = 5385;

enum class ControlKind { Picture, Label, Frame, CheckBox, ComboBox, ListBox, Button };

struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  std::string_view container;  // the frame it lies in; empty for the window
  std::string_view caption;    // at design time
  int left, top, width, height;
  int tabIndex;
};

inline constexpr ControlDesign kFormControls[] = {
    {"Image1", ControlKind::Picture, "", "", 120, 120, 3300, 5040, -1},
    {"Label1", ControlKind::Label, "", "Ver", 165, 180, 1335, 255, 8},
    {"Frame1", ControlKind::Frame, "", "Options:", 3600, 120, 5415, 975, 0},
    {"Check1", ControlKind::CheckBox, "Frame1", "", 135, 255, 4575, 315, 1},
    {"Check2", ControlKind::CheckBox, "Frame1", "Save old files (make backup)", 135, 570, 4575, 315, 12},
    {"Frame2", ControlKind::Frame, "", "Processing:", 3585, 1215, 5415, 3945, 2},
    {"Label2", ControlKind::Label, "Frame2", "File type", 180, 405, 825, 285, 9},
    {"Combo1", ControlKind::ComboBox, "Frame2", "", 975, 360, 4320, 315, 3},
    {"Label3", ControlKind::Label, "Frame2", "Language", 165, 870, 825, 285, 11},
    {"Combo2", ControlKind::ComboBox, "Frame2", "", 975, 840, 4320, 315, 10},
    {"List1", ControlKind::ListBox, "Frame2", "", 105, 1395, 5175, 1200, 7},
    {"Command1", ControlKind::Button, "Frame2", "Extract", 240, 3240, 1455, 495, 4},
    {"Command2", ControlKind::Button, "Frame2", "Edit in MS Word", 1980, 3240, 1455, 495, 5},
    {"Command3", ControlKind::Button, "Frame2", "Save changes", 3720, 3240, 1455, 495, 6},
};

// The design of the named control; raises std::out_of_range for a name the
// window does not have.
const ControlDesign& DesignOf(std::string_view name);

// Whether a control of this kind takes the keyboard focus.
bool TakesFocus(ControlKind kind);

// The controls that take the keyboard focus, in the order of their tab indexes.
std::vector<const ControlDesign*> TabOrder();

// Twips to pixels at the given resolution: 15 twips a pixel at 96 dots per inch.
class Twips {
 public:
  explicit Twips(double dotsPerInch) : dotsPerInch_(dotsPerInch) {}
  int operator()(int twips) const;

 private:
  double dotsPerInch_;
};

}  // namespace gs
