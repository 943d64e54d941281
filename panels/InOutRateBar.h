// A horizontal bar of how the day's volume splits into outside trades (left, red-brown) and
// inside trades (right, green), with both percentages and a pointer at the split.
#pragma once

#include <memory>

#include "platform/graphics/Context.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class InOutRateBar : public ui::View {
 public:
  explicit InOutRateBar(const gfx::Rect& frame);
  static std::shared_ptr<InOutRateBar> initWithFrame(const gfx::Rect& frame);

  // Shows the split of the two volumes and moves the pointer to it. Without a usable split (a
  // total of 0, a negative volume, or one that is not a number) both texts read "----" and the
  // pointer stays.
  void SetInOutData(double inner, double outer);

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void RatioBackgound(gfx::Context& ctx);

  ui::Label* InnerRateLabel() const { return innerRateLabel_.get(); }
  ui::Label* OuterRateLabel() const { return outerRateLabel_.get(); }
  ui::ImageView* arrow() const { return arrow_.get(); }
  const gfx::Rect& arrowRect() const { return arrowRect_; }
  const gfx::Gradient& gradient() const { return gradient_; }

 private:
  gfx::Gradient gradient_;
  std::shared_ptr<ui::Label> innerRateLabel_;
  std::shared_ptr<ui::Label> outerRateLabel_;
  std::shared_ptr<ui::ImageView> arrow_;
  gfx::Rect arrowRect_;
};
