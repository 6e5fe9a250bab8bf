// Positions are given in twips (1/1440 inch): 15 twips a pixel at 96 dots
// per inch, scaled with the screen's logical resolution.
#pragma once

#include <QRect>
#include <cmath>

namespace gs {

class Twips {
 public:
  explicit Twips(double logicalDpi) : scale_(logicalDpi / 96.0) {}
  int operator()(int twips) const { return static_cast<int>(std::lround(twips * scale_ / 15.0)); }
  QRect Rect(int left, int top, int width, int height) const {
    return QRect((*this)(left), (*this)(top), (*this)(width), (*this)(height));
  }

 private:
  double scale_;
};

}  // namespace gs
