#include "window/form_design.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace gs {

const ControlDesign& DesignOf(std::string_view name) {
  for (const ControlDesign& design : kFormControls) {
    if (design.name == name) return design;
  }
  throw std::out_of_range("KTform has no control " + std::string(name));
}

bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::Button: return true;
    case ControlKind::Picture:
    case ControlKind::Label:
    case ControlKind::Frame: break;
  }
  return false;
}

std::vector<const ControlDesign*> TabOrder() {
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& design : kFormControls) {
    if (TakesFocus(design.kind)) order.push_back(&design);
  }
  std::sort(order.begin(), order.end(),
            [](const ControlDesign* a, const ControlDesign* b) { return a->tabIndex < b->tabIndex; });
  return order;
}

int Twips::operator()(int twips) const {
  return static_cast<int>(std::lround(twips * dotsPerInch_ / 1440.0));
}

}  // namespace gs
