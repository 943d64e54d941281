// An on/off switch; a tap flips it and sends value-changed.
#pragma once

#include "platform/ui/Control.h"

namespace ui {

class Switch : public Control {
 public:
  // The switch has a fixed size of 79 x 27 points; only the frame's origin is used.
  explicit Switch(const gfx::Rect& frame = {});
  static std::shared_ptr<Switch> create(const gfx::Rect& frame = {});

  bool isOn() const { return on_; }
  // Does not send value-changed (only the user's flip does).
  void setOn(bool on, bool animated = false);
  gfx::Color onTintColor() const { return onTint_; }
  void setOnTintColor(const gfx::Color& color);

  void setFrame(const gfx::Rect& frame) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size) const override { return {79, 27}; }

 private:
  bool on_ = false;
  gfx::Color onTint_ = gfx::Color(0.0, 0.5, 0.92);
};

}  // namespace ui
