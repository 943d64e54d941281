// A button that can be dragged around its superview with a finger and, when released, snaps to
// the nearest edge ("adsorb"). A tap without movement still fires its touch-up-inside actions.
// Both behaviours are off until switched on.
#pragma once

#include <memory>

#include "platform/ui/Button.h"

class NMButton : public ui::Button {
 public:
  static constexpr double kMargin = 5;
  static constexpr double kSnapZone = 60;
  // The lowest strip of the superview stays free (a bar lies there).
  static constexpr double kBottomReserve = 30;
  static constexpr double kSnapSeconds = 0.125;

  explicit NMButton(ui::ButtonType type = ui::ButtonType::Custom, const gfx::Rect& frame = {});
  static std::shared_ptr<NMButton> create(const gfx::Rect& frame,
                                          ui::ButtonType type = ui::ButtonType::Custom);

  void setDragEnable(bool enable) { dragEnable_ = enable; }
  bool isDragEnable() const { return dragEnable_; }
  void setAdsorbEnable(bool enable) { adsorbEnable_ = enable; }
  bool isAdsorbEnable() const { return adsorbEnable_; }

  // Where a button of `frame` released in a superview of `size` comes to rest.
  static gfx::Rect snappedFrame(const gfx::Rect& frame, gfx::Size size);

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;

 private:
  bool dragEnable_ = false;
  bool adsorbEnable_ = false;
  // Shared by all these buttons: one button is dragged at a time.
  static gfx::Point beginPoint_;
};
