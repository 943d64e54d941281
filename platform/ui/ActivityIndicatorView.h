// The spinning wait indicator: twelve spokes turning while animating.
#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace foundation {
class Timer;
}

namespace ui {

enum class ActivityIndicatorStyle { WhiteLarge = 0, White = 1, Gray = 2 };

class ActivityIndicatorView : public View {
 public:
  explicit ActivityIndicatorView(ActivityIndicatorStyle style = ActivityIndicatorStyle::White);
  ~ActivityIndicatorView() override;
  static std::shared_ptr<ActivityIndicatorView> create(
      ActivityIndicatorStyle style = ActivityIndicatorStyle::White);

  ActivityIndicatorStyle style() const { return style_; }
  // Also resizes the view to the style's size (37 or 20 points).
  void setStyle(ActivityIndicatorStyle style);
  gfx::Color color() const { return color_; }
  void setColor(const gfx::Color& color);

  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }
  // Hidden while stopped (the default).
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);
  // Which spoke is brightest (advances 12 times a second while animating).
  int step() const { return step_; }

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;

 private:
  ActivityIndicatorStyle style_;
  gfx::Color color_;
  bool animating_ = false;
  bool hidesWhenStopped_ = true;
  int step_ = 0;
  std::shared_ptr<foundation::Timer> timer_;
};

}  // namespace ui
