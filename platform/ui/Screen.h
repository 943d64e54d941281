// The device screen: 320 x 480 points by default, 320 x 568 as an option; scale 1 or 2.
#pragma once

#include "platform/graphics/Geometry.h"

namespace ui {

class Screen {
 public:
  static Screen& main();

  gfx::Rect bounds() const { return gfx::Rect(0, 0, width_, height_); }
  // The bounds less the status bar (when it shows).
  gfx::Rect applicationFrame() const;
  double scale() const { return scale_; }

  // Start-up options (and tests): height 480 or 568 (other values are used as given when
  // positive), scale 1 or 2.
  void setHeight(double height);
  void setScale(double scale);

 private:
  double width_ = 320;
  double height_ = 480;
  double scale_ = 1;
};

}  // namespace ui
