#include "platform/ui/ActivityIndicatorView.h"

#include <cmath>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Context.h"

namespace ui {

namespace {

double sideFor(ActivityIndicatorStyle style) {
  return style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20;
}

gfx::Color colorFor(ActivityIndicatorStyle style) {
  return style == ActivityIndicatorStyle::Gray ? gfx::Color::grey(0.5) : gfx::Color::white();
}

}  // namespace

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(gfx::Rect(0, 0, sideFor(style), sideFor(style))),
      style_(style),
      color_(colorFor(style)) {
  setOpaque(false);
  setUserInteractionEnabled(false);
  setHidden(true);
}

ActivityIndicatorView::~ActivityIndicatorView() {
  if (timer_) timer_->invalidate();
}

std::shared_ptr<ActivityIndicatorView> ActivityIndicatorView::create(ActivityIndicatorStyle style) {
  return std::make_shared<ActivityIndicatorView>(style);
}

void ActivityIndicatorView::setStyle(ActivityIndicatorStyle style) {
  style_ = style;
  color_ = colorFor(style);
  gfx::Point c = center();
  double side = sideFor(style);
  setBounds(gfx::Rect(0, 0, side, side));
  setCenter(c);
  setNeedsDisplay();
}

void ActivityIndicatorView::setColor(const gfx::Color& color) {
  color_ = color;
  setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  if (!animating_) setHidden(hides);
}

void ActivityIndicatorView::startAnimating() {
  setHidden(false);
  if (animating_) return;
  animating_ = true;
  std::weak_ptr<ActivityIndicatorView> weak = sharedAs<ActivityIndicatorView>();
  timer_ = foundation::Timer::create(1.0 / 12, true, [weak](foundation::Timer& timer) {
    auto self = weak.lock();
    if (!self) {
      timer.invalidate();
      return;
    }
    self->step_ = (self->step_ + 1) % 12;
    self->setNeedsDisplay();
  });
  foundation::RunLoop::main()->addTimer(timer_, foundation::kCommonRunLoopModes);
  setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
  setNeedsDisplay();
}

void ActivityIndicatorView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds();
  double side = std::min(b.width(), b.height());
  double outer = side / 2, inner = side / 4.2;
  ctx.setLineWidth(side / 10);
  ctx.setLineCap(gfx::LineCap::Round);
  for (int i = 0; i < 12; ++i) {
    // The spoke at the current step is brightest; the ones behind it fade.
    int age = (step_ - i + 12) % 12;
    double alpha = 1.0 - age * 0.07;
    double angle = i * gfx::kPi / 6 - gfx::kPi / 2;
    double cx = std::cos(angle), cy = std::sin(angle);
    ctx.setStrokeColor(color_.withAlpha(color_.a() * alpha));
    ctx.strokeLine(
        gfx::Point(b.midX() + cx * inner, b.midY() + cy * inner),
        gfx::Point(b.midX() + cx * (outer - side / 20), b.midY() + cy * (outer - side / 20)));
  }
}

gfx::Size ActivityIndicatorView::sizeThatFits(gfx::Size) const {
  double side = sideFor(style_);
  return gfx::Size(side, side);
}

}  // namespace ui
